#pragma once

#include <functional>

// Carries out `work` on a thread of its own and returns when it is done. The
// calling thread goes on handling its events meanwhile, so that the window
// repaints, a progress dialog advances and questions that the work hands over
// (GuiThreadPrompter) are asked.
void runOnWorkerThread(const std::function<void()>& work);
