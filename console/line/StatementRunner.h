// Runs one of the console's statements on the agent environment's connection, on the
// thread that owns it, and tells what came of it - the boxes it would have shown
// included, caught instead of shown.
#pragma once

#include "console/logic/ConsoleLine.h"
#include "db/AgentEnv.h"

LineOutcome RunStatement(CTELVOAgentEnv& env, const LineRequest& request);
