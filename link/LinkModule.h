#pragma once

// Module-level values of the instrument link.
namespace comm {

// Cleared by every send and by the final time-out of a request, set by every received block;
// tells the main window whether the instrument answered.
inline bool AnswerSeen = false;

}  // namespace comm
