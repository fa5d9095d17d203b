// How a script's run ended when nothing was thrown: a script function's failure, a script that
// does not compile and a stop are Errors instead.
#pragma once

namespace zamp {

enum class ScriptRun {
    Finished,    // the script ran to its end
    FailedInLua, // the script's own Lua error ended it (the message, with where it happened, has
                 // gone to standard error); what ran before it stays and start-up goes on
    FileMissing, // the file did not open: nothing ran
};

} // namespace zamp
