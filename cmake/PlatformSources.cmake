# A folder's sources for the platform being built: a file whose name ends in
# Posix.cpp (or PosixTest.cpp) is Linux's alone, one ending in Win32.cpp (or
# Win32Test.cpp) Windows' alone, and every other file is common to both.
#   corvantis_platform_sources(DB_SOURCES db/*.cpp)
if(WIN32)
  set(CORVANTIS_OTHER_PLATFORM Posix)
else()
  set(CORVANTIS_OTHER_PLATFORM Win32)
endif()

function(corvantis_platform_sources var)
  file(GLOB sources CONFIGURE_DEPENDS ${ARGN})
  list(FILTER sources EXCLUDE REGEX "${CORVANTIS_OTHER_PLATFORM}(Test)?\\.cpp$")
  set(${var} ${sources} PARENT_SCOPE)
endfunction()
