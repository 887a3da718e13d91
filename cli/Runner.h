#pragma once

#include <functional>
#include <memory>

class ICommBackend;
class TerminationSignals;
struct Invocation;

// Makes the line to the simulated controller that --demo talks to; called once per port, on the
// port's own thread.
using DemoLine = std::function<std::unique_ptr<ICommBackend>()>;

// Runs a command to its end and prints its results: on stdout the results only (text or one
// JSON document), on stderr errors and, on a terminal, progress. A command for controllers
// runs on every port at once, one worker thread per port with objects of its own; with
// several ports each output line names its port and a summary table ends the run.
// A termination signal (caught by `termination`) stops every port's run: no frame but
// "S~0000" goes out after it, and no write to stdout or stderr waits past it.
// Returns the exit status (with several ports, the highest).
int RunInvocation(const Invocation& invocation, TerminationSignals& termination,
                  const DemoLine& demoLine);
