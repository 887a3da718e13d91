#pragma once

// vexactl's exit statuses. With several ports the run ends with the highest one.
enum ExitStatus : int {
    kExitOk = 0,
    kExitUsage = 2,          // the command line is wrong
    kExitRefused = 3,        // a value or file was refused; nothing was sent
    kExitLineFault = 4,      // cannot open, no reply in time, wrong answer, line lost
    kExitDiffers = 5,        // what was read back differs from what was written
    kExitInterrupted = 130,  // ended by SIGINT, SIGTERM or SIGHUP before the command was done
};
