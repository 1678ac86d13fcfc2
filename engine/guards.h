// What may start while something else is under way. A message box, a dialog, a menu and every
// call into another thread's window run our messages before they return.
#pragma once

#include "engine/app_state.h"

namespace q {

// Switches, the command menu, Quit and the display options wait for nothing: they are ignored
// while a Rename or Hot key dialog, the delete confirmation or a switch is under way, and once
// the close has begun (its own switch to desktop 1 is called directly).
inline bool SwitchesHeld(const AppState &app) {
    return app.DialogOpen != 0 || app.UnderWay.DeleteAsking != 0 || app.UnderWay.Switching != 0 ||
           app.UnderWay.Closed != 0;
}

// Creating, deleting, renaming, hot keys, moves and sticky windows are ignored, in addition,
// while the quit confirmation is open.
inline bool ChangesHeld(const AppState &app) {
    return SwitchesHeld(app) || app.UnderWay.QuitAsking > 0;
}

// Sets an under-way flag (or counts one more) for the length of a scope and puts back what it
// found on every way out of it.
template <typename Flag> class UnderWay {
  public:
    UnderWay(Flag &flag, Flag value) : flag_(flag), before_(flag) { flag_ = value; }
    ~UnderWay() { flag_ = before_; }
    UnderWay(const UnderWay &) = delete;
    UnderWay &operator=(const UnderWay &) = delete;

  private:
    Flag &flag_;
    const Flag before_;
};

} // namespace q
