#include "ShowState.h"

ShowState RequestedShowState() { return ShowState::Normal; }
