#include "MessagePump.h"

#include "host/ToolkitMessageLoop.h"

void pumpMessages()
{
    for (int i = 0; i < 10000 && ToolkitMessageLoop::dispatchNext (true); ++i)
    {
    }
}
