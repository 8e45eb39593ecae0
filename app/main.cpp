// zelagent: the agent console. Run it from the folder that holds Env/.
#include "app/AgentApp.h"

wxIMPLEMENT_APP(CAgentApp);
