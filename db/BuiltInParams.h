// The parameter list the window's layout gives the connection, held until the
// first opening: the [Quintara] section of the shipped connection registry
// template (scripts/templates/dbvconnections.ini), read as a registry file
// holding it would be read.
#pragma once

#include "ParamList.h"

ParamList BuiltInParams();
