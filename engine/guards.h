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
// found on every way out of it. Only the flag's owner holds the key it takes.
template <typename Key, typename T> class UnderWay {
  public:
    UnderWay(OwnedBy<Key, T> &flag, Key key, typename OwnedBy<Key, T>::Value value)
        : flag_(flag), key_(key), before_(flag) {
        flag_.Set(key_, value);
    }
    ~UnderWay() { flag_.Set(key_, before_); }
    UnderWay(const UnderWay &) = delete;
    UnderWay &operator=(const UnderWay &) = delete;

  private:
    OwnedBy<Key, T> &flag_;
    const Key key_;
    const T before_;
};

// For the length of a switch, a deletion, a move, a catch-up or the return of every window:
// their calls into other programs' windows run our messages, and none of those may start a
// switch or change the desktops before the operation ends.
class SwitchUnderWay {
  public:
    explicit SwitchUnderWay(AppState &app) : switching_(app.UnderWay.Switching, EngineKey(), 1) {}

  private:
    const UnderWay<EngineKey, std::uint8_t> switching_;
};

// While the delete confirmation is open.
class DeleteAsked {
  public:
    explicit DeleteAsked(AppState &app) : asking_(app.UnderWay.DeleteAsking, EngineKey(), 1) {}

  private:
    const UnderWay<EngineKey, std::uint8_t> asking_;
};

// While a Rename or Hot key dialog runs, CurrentDesktop names the desktop it edits, not the one
// on the screen: the dialog's handlers find their desktop there, as the program always did, and
// ShownUnderDialog keeps the desktop really shown. So that nothing takes the borrowed number for
// the shown desktop, DialogOpen is set meanwhile and holds switches, the menu, the display options
// and hot keys (SwitchesHeld, OnHotKey); the close, which may come inside the dialog, gives the
// shown desktop back before it switches (GiveBack) and leaves desktop 1 in place here.
class BorrowedCurrentDesktop {
  public:
    BorrowedCurrentDesktop(AppState &app, int n)
        : app_(app), shown_(app.CurrentDesktop()), dialogOpen_(app.DialogOpen, EngineKey(), 1),
          shownUnderDialog_(app.UnderWay.ShownUnderDialog, EngineKey(), shown_) {
        app_.Desktops.CurrentDesktop.Set(EngineKey(), n);
    }
    ~BorrowedCurrentDesktop() {
        if (app_.UnderWay.Closed == 0) app_.Desktops.CurrentDesktop.Set(EngineKey(), shown_);
    }
    BorrowedCurrentDesktop(const BorrowedCurrentDesktop &) = delete;
    BorrowedCurrentDesktop &operator=(const BorrowedCurrentDesktop &) = delete;

    // The close, inside a dialog: CurrentDesktop names the desktop on the screen again.
    static void GiveBack(AppState &app) {
        if (app.DialogOpen != 0) app.Desktops.CurrentDesktop.Set(EngineKey(), app.UnderWay.ShownUnderDialog);
    }

  private:
    AppState &app_;
    const int shown_;
    const UnderWay<EngineKey, std::uint8_t> dialogOpen_;
    const UnderWay<EngineKey, std::int32_t> shownUnderDialog_;
};

} // namespace q
