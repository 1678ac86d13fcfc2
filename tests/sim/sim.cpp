#include "tests/sim/sim.h"

#include <algorithm>
#include <cctype>
#include <cstring>
#include <iterator>

#include "res/string_table.h"

namespace q {

namespace {

constexpr std::uintptr_t WindowBase = 0x10000;
// Thread identifiers: each top-level window made without an owner gets FirstThread + its number.
constexpr Dword FirstThread = 0x100;
constexpr std::uintptr_t MenuBase = 0x10000000;
constexpr std::uintptr_t KeyBase = 0x20000000;
constexpr std::uintptr_t IconBase = 0x30000000;
constexpr std::uintptr_t CursorBase = 0x38000000;
constexpr std::uintptr_t FontBase = 0x40000000;
// What SubclassWindow hands back for a window still on its own procedure.
constexpr std::intptr_t OwnProcedure = 0x7000;
// The cursor resources the executable holds.
constexpr int CursorResources[] = {1};
constexpr std::int32_t IconicWidth = 160;
constexpr std::int32_t IconicHeight = 28;
constexpr std::size_t DefaultEditLimit = 0x7FFFFFFE;

// The icon groups the executable holds.
constexpr int IconResources[] = {1, 10, 11};

constexpr std::uint32_t BS_DEFPUSHBUTTON = 0x1;
constexpr std::uint32_t BS_AUTOCHECKBOX = 0x3;
constexpr std::uint32_t SS_ICON = 0x3;
constexpr std::uint32_t SS_NOTIFY = 0x100;
constexpr std::uint32_t WS_TABSTOP = 0x00010000;
constexpr std::uint32_t WS_EX_DLGMODALFRAME = 0x1;
constexpr std::uint32_t DS_MODALFRAME = 0x80;

constexpr Dword WriteRights =
    KEY_SET_VALUE | sim::KEY_CREATE_SUB_KEY | sim::DELETE_ACCESS | 0x00040000 | 0x00080000;

std::string Lower(std::string text) {
    for (char &c : text)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return text;
}

int CopyText(const std::string &text, char *buffer, int size) {
    if (buffer == nullptr || size <= 0) return 0;
    int n = std::min(static_cast<int>(text.size()), size - 1);
    std::memcpy(buffer, text.data(), static_cast<std::size_t>(n));
    buffer[n] = '\0';
    return n;
}

Lparam PackPoint(std::int32_t x, std::int32_t y) {
    return static_cast<Lparam>((static_cast<std::uint32_t>(x) & 0xFFFF) |
                               ((static_cast<std::uint32_t>(y) & 0xFFFF) << 16));
}

Wparam CommandWparam(int id, Uint code) {
    return (static_cast<Wparam>(static_cast<std::uint16_t>(id))) | (static_cast<Wparam>(code) << 16);
}

// Splits a registry path; false when a component is empty (a trailing backslash is allowed).
bool SplitPath(const char *path, std::vector<std::string> &parts) {
    parts.clear();
    if (path == nullptr || *path == '\0') return true;
    std::string current;
    for (const char *p = path;; ++p) {
        if (*p == '\\' || *p == '\0') {
            if (current.empty()) {
                if (*p == '\0' && !parts.empty()) return true;
                return false;
            }
            parts.push_back(current);
            current.clear();
            if (*p == '\0') return true;
        } else {
            current += *p;
        }
    }
}

Dword Rights(Dword access) {
    if (access & 0x80000000u) access |= KEY_READ;
    if (access & 0x40000000u) access |= KEY_WRITE;
    if (access & (0x10000000u | 0x02000000u)) access |= KEY_ALL_ACCESS;
    return access;
}

} // namespace

// ---- Internal records ----

struct SimMachine::DialogState {
    DialogHandler *handler = nullptr;
    bool ended = false;
    std::intptr_t result = 0;
    Hwnd disabledOwner = nullptr; // enabled again when the dialog ends
};

struct SimMachine::Window {
    enum class Kind { Plain, Dialog, Icon, Label, Link, Edit, Button, Check, List, Toolbar };
    Hwnd handle = nullptr;
    std::string className;
    std::string title;
    std::uint32_t style = 0;
    std::uint32_t exStyle = 0;
    Rect normal = {};
    Rect current = {};
    bool enabled = true;
    bool destroying = false;
    Hwnd parent = nullptr;
    Hwnd owner = nullptr;
    int id = 0;
    Kind kind = Kind::Plain;
    SimWindowProc proc;
    std::vector<Hwnd> children;
    DialogState *dialog = nullptr;
    // Control state.
    std::size_t limit = DefaultEditLimit;
    bool checked = false;
    std::vector<std::string> items;
    int selection = -1;
    int columnWidth = 0;
    Hicon image = nullptr;
    Hfont font = nullptr;
    WindowHandler *subclass = nullptr; // the core's procedure in place of the window's own
    Habit habit = Habit::None;
    bool hiddenWithOwner = false; // hidden by its owner's minimise: shown by its restore
    Dword thread = 0;             // the thread that made it: its owner's or parent's, or one of its own
    // Toolbar state.
    std::vector<ToolbarButton> buttons;
    int buttonWidth = 0;
    int buttonHeight = 0;
    Hmenu systemMenu = nullptr;
    // SetPropA's list, by lower-case name: the system keeps a property as an atom, and atoms
    // compare without case (GlobalAddAtom's documentation).
    std::map<std::string, std::intptr_t> props;

    bool Visible() const { return (style & WS_VISIBLE) != 0; }
    bool Minimized() const { return (style & WS_MINIMIZE) != 0; }
    bool Topmost() const { return (exStyle & WS_EX_TOPMOST) != 0; }
};

struct SimMachine::Key {
    std::string name;
    std::string path;                                               // "HKCU\Software\..."
    std::map<std::string, std::shared_ptr<Key>> subkeys;            // by lower-case name
    std::map<std::string, std::pair<std::string, SimValue>> values; // lower-case name -> (name, value)
    bool deleted = false;
};

struct SimMachine::MenuEntry {
    Uint type = MFT_STRING;
    Uint state = 0;
    Uint id = 0;
    Hmenu sub = nullptr;
    std::string text;
};

struct SimMachine::Menu {
    std::vector<MenuEntry> items;
};

// ---- Snapshots and values ----

std::string SimValue::Text() const {
    auto end = std::find(data.begin(), data.end(), std::uint8_t{0});
    return std::string(data.begin(), end);
}

std::uint32_t SimValue::Number() const {
    std::uint32_t value = 0;
    for (std::size_t i = 0; i < data.size() && i < 4; ++i)
        value |= static_cast<std::uint32_t>(data[i]) << (8 * i);
    return value;
}

namespace {

void DescribeItems(const std::vector<SimMenuItem> &items, int depth,
                   const std::function<std::string(Uint)> &name, std::string &out) {
    for (const SimMenuItem &item : items) {
        out.append(static_cast<std::size_t>(depth) * 2, ' ');
        if (item.Separator()) {
            out += "-\n";
            continue;
        }
        if (item.Checked()) out += "[x] ";
        if (item.Greyed()) out += "(grey) ";
        if (item.Default()) out += "<b>";
        out += item.text;
        if (item.popup) {
            out += " >\n";
            DescribeItems(item.items, depth + 1, name, out);
        } else {
            out += " =" + (name ? name(item.id) : std::to_string(item.id)) + "\n";
        }
    }
}

const SimMenuItem *FindCommandIn(const std::vector<SimMenuItem> &items, Uint id) {
    for (const SimMenuItem &item : items) {
        if (item.popup) {
            if (const SimMenuItem *found = FindCommandIn(item.items, id)) return found;
        } else if (!item.Separator() && item.id == id) {
            return &item;
        }
    }
    return nullptr;
}

} // namespace

std::string SimMenuSnapshot::Describe(const std::function<std::string(Uint)> &name) const {
    std::string out;
    DescribeItems(items, 0, name, out);
    return out;
}

const SimMenuItem *SimMenuSnapshot::Find(const std::vector<std::string> &textPath) const {
    const std::vector<SimMenuItem> *level = &items;
    const SimMenuItem *found = nullptr;
    for (const std::string &text : textPath) {
        if (level == nullptr) return nullptr;
        auto it = std::find_if(level->begin(), level->end(), [&](const SimMenuItem &item) {
            return !item.Separator() && item.text == text;
        });
        if (it == level->end()) return nullptr;
        found = &*it;
        level = found->popup ? &found->items : nullptr;
    }
    return found;
}

Uint SimMenuSnapshot::CommandAt(const std::vector<std::string> &textPath) const {
    const SimMenuItem *item = Find(textPath);
    return item != nullptr && !item->popup ? item->id : 0;
}

const SimMenuItem *SimMenuSnapshot::FindCommand(Uint id) const {
    return FindCommandIn(items, id);
}

std::vector<std::string> SimMenuSnapshot::Texts() const {
    std::vector<std::string> texts;
    for (const SimMenuItem &item : items)
        texts.push_back(item.Separator() ? "-" : item.text);
    return texts;
}

// ---- Machine ----

SimMachine::SimMachine()
    : platform_{*this, *this, *this, *this, *this, *this, *this, *this},
      currentUser_(std::make_shared<Key>()), localMachine_(std::make_shared<Key>()) {
    currentUser_->name = currentUser_->path = "HKCU";
    localMachine_->name = localMachine_->path = "HKLM";
}

SimMachine::~SimMachine() = default;

// ---- Windows ----

SimMachine::Window *SimMachine::Find(Hwnd window) const {
    auto it = windows_.find(window);
    return it == windows_.end() ? nullptr : it->second.get();
}

Hwnd SimMachine::MakeWindow(const std::string &className, const std::string &title, std::uint32_t style,
                            std::uint32_t exStyle, Rect rect, Hwnd parent, Hwnd owner) {
    Hwnd handle = reinterpret_cast<Hwnd>(WindowBase + 4 * ++nextWindow_);
    auto w = std::make_unique<Window>();
    w->handle = handle;
    w->className = className;
    w->title = title;
    w->style = style;
    w->exStyle = exStyle;
    w->normal = w->current = rect;
    w->parent = parent;
    w->owner = owner;
    const Window *maker = Find(parent != nullptr ? parent : owner);
    w->thread = maker != nullptr ? maker->thread : FirstThread + static_cast<Dword>(nextWindow_);
    Window &made = *w;
    windows_[handle] = std::move(w);
    if (parent != nullptr) {
        Find(parent)->children.push_back(handle);
        return handle;
    }
    zorder_.insert(zorder_.begin(), handle);
    if (made.Minimized()) {
        made.current = {sim::IconicX, sim::IconicY, sim::IconicX + IconicWidth, sim::IconicY + IconicHeight};
        PlaceAtBottom(handle);
    } else {
        PlaceOnTop(handle);
    }
    return handle;
}

Hwnd SimMachine::CreateWindow(const std::string &className, const std::string &title, std::uint32_t style,
                              std::uint32_t exStyle, Rect rect, Hwnd owner) {
    Hwnd handle = MakeWindow(className, title, style, exStyle, rect, nullptr, owner);
    if ((style & (WS_VISIBLE | WS_MINIMIZE | WS_CHILD)) == WS_VISIBLE) Activate(handle);
    return handle;
}

void SimMachine::SetWindowProc(Hwnd window, SimWindowProc proc) {
    if (Window *w = Find(window)) w->proc = std::move(proc);
}

void SimMachine::RegisterClass(const std::string &className, SimWindowProc proc) {
    classes_[className] = std::move(proc);
}

void SimMachine::SetHabit(Hwnd window, Habit habit) {
    if (Window *w = Find(window)) w->habit = habit;
}

std::vector<Hwnd> SimMachine::ZOrder(bool visibleOnly) const {
    std::vector<Hwnd> order;
    for (Hwnd h : zorder_)
        if (!visibleOnly || Find(h)->Visible()) order.push_back(h);
    return order;
}

Hwnd SimMachine::Owner(Hwnd window) const {
    Window *w = Find(window);
    return w != nullptr ? w->owner : nullptr;
}

bool SimMachine::HiddenWithOwner(Hwnd window) const {
    Window *w = Find(window);
    return w != nullptr && w->hiddenWithOwner;
}

bool SimMachine::HasTaskbarButton(Hwnd window) const {
    Window *w = Find(window);
    if (w == nullptr || w->parent != nullptr || (w->style & WS_CHILD) || !w->Visible()) return false;
    return (w->exStyle & WS_EX_APPWINDOW) != 0 || (w->owner == nullptr && !(w->exStyle & WS_EX_TOOLWINDOW));
}

bool SimMachine::IsMinimized(Hwnd window) const {
    Window *w = Find(window);
    return w != nullptr && w->Minimized();
}

bool SimMachine::IsVisible(Hwnd window) const {
    Window *w = Find(window);
    return w != nullptr && w->Visible();
}

bool SimMachine::IsWindowEnabled(Hwnd window) const {
    Window *w = Find(window);
    return w != nullptr && w->enabled;
}

Rect SimMachine::Position(Hwnd window) const {
    Window *w = Find(window);
    return w != nullptr ? w->current : Rect{};
}

Rect SimMachine::NormalPosition(Hwnd window) const {
    Window *w = Find(window);
    return w != nullptr ? w->normal : Rect{};
}

std::string SimMachine::WindowText(Hwnd window) const {
    Window *w = Find(window);
    return w != nullptr ? w->title : std::string();
}

std::string SimMachine::ClassName(Hwnd window) const {
    Window *w = Find(window);
    return w != nullptr ? w->className : std::string();
}

// Topmost windows stay above the others: "top" is the top of the window's own band ("Window
// Features", Z-Order, on learn.microsoft.com).
void SimMachine::PlaceOnTop(Hwnd window) {
    zorder_.erase(std::remove(zorder_.begin(), zorder_.end(), window), zorder_.end());
    auto at = zorder_.begin();
    if (!Find(window)->Topmost())
        at = std::find_if(zorder_.begin(), zorder_.end(), [&](Hwnd h) { return !Find(h)->Topmost(); });
    zorder_.insert(at, window);
    KeepOwnedAbove(window);
}

void SimMachine::PlaceAtBottom(Hwnd window) {
    zorder_.erase(std::remove(zorder_.begin(), zorder_.end(), window), zorder_.end());
    auto at = zorder_.end();
    if (Find(window)->Topmost())
        at = std::find_if(zorder_.begin(), zorder_.end(), [&](Hwnd h) { return !Find(h)->Topmost(); });
    zorder_.insert(at, window);
    KeepOwnedAbove(window);
}

void SimMachine::PlaceAfter(Hwnd window, Hwnd after) {
    Window *w = Find(window);
    Window *a = Find(after);
    if (a == nullptr || a->parent != nullptr || after == window) return;
    // Placed after a non-topmost window, a topmost one stops being topmost (SetWindowPos's page).
    if (!a->Topmost()) w->exStyle &= ~WS_EX_TOPMOST;
    if (!w->Topmost() && a->Topmost()) {
        PlaceOnTop(window);
        return;
    }
    zorder_.erase(std::remove(zorder_.begin(), zorder_.end(), window), zorder_.end());
    zorder_.insert(std::find(zorder_.begin(), zorder_.end(), after) + 1, window);
    KeepOwnedAbove(window);
}

// After `window` moved in the stacking order: placed below its owner, it goes just above it;
// the windows it owns (and theirs) follow it, in their order, just above it. "An owned window is
// always above its owner in the z-order" ("Window Features", Owned Windows).
void SimMachine::KeepOwnedAbove(Hwnd window) {
    Window *w = Find(window);
    if (w == nullptr || w->parent != nullptr) return;
    auto at = [&](Hwnd h) { return std::find(zorder_.begin(), zorder_.end(), h); };
    if (w->owner != nullptr && at(w->owner) != zorder_.end() && at(window) > at(w->owner)) {
        zorder_.erase(at(window));
        zorder_.insert(at(w->owner), window);
    }
    auto ownedBy = [&](Hwnd h) {
        int depth = 0;
        for (Window *o = Find(h); o != nullptr && o->owner != nullptr && depth < 16;
             o = Find(o->owner), ++depth)
            if (o->owner == window) return true;
        return false;
    };
    std::vector<Hwnd> owned;
    for (Hwnd h : zorder_)
        if (ownedBy(h)) owned.push_back(h);
    if (owned.empty()) return;
    for (Hwnd h : owned)
        zorder_.erase(at(h));
    zorder_.insert(at(window), owned.begin(), owned.end());
}

// The owner's minimise hides its visible owned windows, and its restore shows those again:
// Windows' rule ("Window Features", Owned Windows: "an owned window is hidden when its owner is
// minimized"), which Wine 8 does not follow (../shared/WINE.md); the Wine behaviour is the
// world's other choice.
void SimMachine::HideOwned(Hwnd owner) {
    std::vector<Hwnd> owned;
    for (Hwnd h : zorder_)
        if (Find(h)->owner == owner && Find(h)->Visible()) owned.push_back(h);
    for (Hwnd h : owned) {
        Window *o = Find(h);
        if (o == nullptr || !o->Visible()) continue;
        if (!ThreadHung(*o)) SendMessageA(h, sim::WM_SHOWWINDOW, 0, sim::SW_PARENTCLOSING);
        o = Find(h);
        if (o == nullptr || !o->Visible()) continue;
        o->style &= ~WS_VISIBLE;
        o->hiddenWithOwner = true;
        if (active_ == h) ActivateNext(h);
    }
}

void SimMachine::ShowOwned(Hwnd owner) {
    std::vector<Hwnd> owned;
    for (Hwnd h : zorder_)
        if (Find(h)->owner == owner && Find(h)->hiddenWithOwner) owned.push_back(h);
    for (Hwnd h : owned) {
        Window *o = Find(h);
        if (o == nullptr || !o->hiddenWithOwner) continue;
        o->hiddenWithOwner = false;
        if (!ThreadHung(*o)) SendMessageA(h, sim::WM_SHOWWINDOW, 1, sim::SW_PARENTOPENING);
        if ((o = Find(h)) != nullptr) o->style |= WS_VISIBLE;
    }
}

void SimMachine::Activate(Hwnd window) {
    Window *w = Find(window);
    if (w == nullptr || w->parent != nullptr || (w->style & WS_CHILD)) return;
    active_ = window;
    PlaceOnTop(window);
}

// Like Windows when the active window goes away: the owner if it can take it, otherwise the
// highest visible, enabled, non-minimised top-level window (ShowWindow's page: SW_MINIMIZE
// "activates the next top-level window in the Z order"). Menus never take activation.
void SimMachine::ActivateNext(Hwnd leaving) {
    auto eligible = [&](Hwnd h) {
        Window *w = Find(h);
        return w != nullptr && h != leaving && w->parent == nullptr && !(w->style & WS_CHILD) &&
               w->Visible() && !w->Minimized() && w->enabled && !w->destroying && w->className != "#32768";
    };
    Window *leaver = Find(leaving);
    if (leaver != nullptr && leaver->owner != nullptr && eligible(leaver->owner)) {
        active_ = leaver->owner;
        return;
    }
    active_ = nullptr;
    for (Hwnd h : zorder_)
        if (eligible(h)) {
            active_ = h;
            return;
        }
}

void SimMachine::MoveTo(Window &w, Rect rect) {
    Hwnd handle = w.handle;
    bool moved = rect.left != w.current.left || rect.top != w.current.top;
    bool sized = rect.right - rect.left != w.current.right - w.current.left ||
                 rect.bottom - rect.top != w.current.bottom - w.current.top;
    // Child windows keep their place in their parent: their screen rectangles follow it.
    const std::int32_t dx = rect.left - w.current.left, dy = rect.top - w.current.top;
    std::vector<Hwnd> children = w.children;
    while (moved && !children.empty()) {
        Window *c = Find(children.back());
        children.pop_back();
        if (c == nullptr) continue;
        for (Rect *r : {&c->current, &c->normal})
            *r = Rect{r->left + dx, r->top + dy, r->right + dx, r->bottom + dy};
        children.insert(children.end(), c->children.begin(), c->children.end());
    }
    w.current = rect;
    bool minimized = w.Minimized();
    if (sized)
        SendMessageA(handle, WM_SIZE, minimized ? sim::SIZE_MINIMIZED : sim::SIZE_RESTORED,
                     minimized ? 0 : PackPoint(rect.right - rect.left, rect.bottom - rect.top));
    if (moved && Find(handle) != nullptr) SendMessageA(handle, WM_MOVE, 0, PackPoint(rect.left, rect.top));
}

void SimMachine::EnumWindows(EnumWindowsProc proc, void *context) {
    std::vector<Hwnd> snapshot = zorder_;
    for (Hwnd h : snapshot)
        if (Find(h) != nullptr && !proc(h, context)) return;
}

std::int32_t SimMachine::GetWindowLongA(Hwnd window, int index) {
    Window *w = Find(window);
    if (w == nullptr) return 0;
    if (index == GWL_STYLE) return static_cast<std::int32_t>(w->style);
    if (index == GWL_EXSTYLE) return static_cast<std::int32_t>(w->exStyle);
    if (index == sim::GWL_ID) return w->id;
    return 0;
}

int SimMachine::GetClassNameA(Hwnd window, char *buffer, int size) {
    Window *w = Find(window);
    if (w == nullptr) return CopyText("", buffer, size);
    return CopyText(w->className, buffer, size);
}

int SimMachine::GetWindowTextA(Hwnd window, char *buffer, int size) {
    Window *w = Find(window);
    return CopyText(w != nullptr ? w->title : std::string(), buffer, size);
}

bool SimMachine::SetWindowTextA(Hwnd window, const char *text) {
    Window *w = Find(window);
    if (w == nullptr) return false;
    w->title = text != nullptr ? text : "";
    return true;
}

bool SimMachine::IsWindow(Hwnd window) {
    return Find(window) != nullptr;
}

bool SimMachine::IsWindowVisible(Hwnd window) {
    // As on Windows: visible only if the parents are too.
    for (Window *w = Find(window); w != nullptr; w = Find(w->parent)) {
        if (!w->Visible()) return false;
        if (w->parent == nullptr) return true;
    }
    return false;
}

bool SimMachine::IsIconic(Hwnd window) {
    return IsMinimized(window);
}

int SimMachine::LevelOf(const Window &w) const {
    return elevatedThreads_.count(w.thread) != 0 ? 1 : 0;
}

bool SimMachine::Refuses(const Window &w) const {
    if (LevelOf(w) <= callerLevel_) return false;
    ++const_cast<SimMachine *>(this)->refusedCalls;
    return true;
}

bool SimMachine::Passes(Uint message) const {
    switch (message) {
    case WM_NULL:
    case WM_MOVE:
    case WM_SIZE:
    case sim::WM_GETTEXT:
    case sim::WM_GETTEXTLENGTH:
    case 0x0033: // WM_GETHOTKEY
    case 0x007F: // WM_GETICON
    case 0x031A: // WM_THEMECHANGED
        return true;
    default:
        return false;
    }
}

void SimMachine::SetElevated(Hwnd window) {
    if (Window *w = Find(window)) elevatedThreads_.insert(w->thread);
}

bool SimMachine::IsElevated(Hwnd window) const {
    const Window *w = Find(window);
    return w != nullptr && LevelOf(*w) != 0;
}

void SimMachine::SetCloaked(Hwnd window, Dword cloak) {
    if (cloak == 0)
        cloaks_.erase(window);
    else
        cloaks_[window] = cloak;
}

Dword SimMachine::Cloak(Hwnd window) const {
    const auto found = cloaks_.find(window);
    return found != cloaks_.end() && Find(window) != nullptr ? found->second : 0;
}

std::int32_t SimMachine::DwmGetWindowAttribute(Hwnd window, Dword attribute, void *value, Dword size) {
    constexpr std::int32_t E_NOTIMPL = static_cast<std::int32_t>(0x80004001u);
    constexpr std::int32_t E_HANDLE = static_cast<std::int32_t>(0x80070006u);
    constexpr std::int32_t E_INVALIDARG = static_cast<std::int32_t>(0x80070057u);
    if (!dwmapi || dwmapiStub) return E_NOTIMPL;
    if (Find(window) == nullptr) return E_HANDLE;
    if (attribute != DWMWA_CLOAKED || value == nullptr || size < sizeof(Dword)) return E_INVALIDARG;
    const Dword cloak = Cloak(window);
    std::memcpy(value, &cloak, sizeof cloak);
    return 0;
}

bool SimMachine::ShowWindow(Hwnd window, int command) {
    if (beforeWindowChange) beforeWindowChange();
    CallScope call(*this, 0, window);
    Window *w = Find(window);
    if (w == nullptr) return false;
    if (Refuses(*w)) return w->Visible(); // as if done: the window was visible before
    if (ThreadHung(*w)) {
        ++blockedCalls;
        return false;
    }
    WaitFor(*w);
    const bool wasVisible = w->Visible();
    const bool topLevel = w->parent == nullptr && !(w->style & WS_CHILD);
    if (command != SW_HIDE) w->hiddenWithOwner = false; // shown by its program now
    switch (command) {
    case SW_HIDE:
        if (!wasVisible) return false;
        w->style &= ~WS_VISIBLE;
        if (active_ == window) ActivateNext(window);
        return true;
    case SW_MINIMIZE:
    case SW_SHOWMINIMIZED:
    case sim::SW_SHOWMINNOACTIVE:
        w->style |= WS_VISIBLE;
        if (w->Minimized()) return wasVisible;
        // Windows goes to the bottom and hands activation on; restore brings back `normal`
        // (ShowWindow's page; under Wine a minimised window stays visible and iconic, and comes
        // back at its normal rectangle: ../shared/WINE.md).
        w->style |= WS_MINIMIZE;
        if (topLevel && hidesOwnedWindows) HideOwned(window);
        if ((w = Find(window)) == nullptr) return wasVisible;
        if (w->parent == nullptr) PlaceAtBottom(window);
        if (active_ == window) ActivateNext(window);
        MoveTo(*w, {sim::IconicX, sim::IconicY, sim::IconicX + IconicWidth, sim::IconicY + IconicHeight});
        return wasVisible;
    case SW_RESTORE:
    case SW_SHOWNORMAL:
    case sim::SW_SHOWNOACTIVATE:
        // A visible window that is not minimised is left alone, activation included.
        if (wasVisible && !w->Minimized()) return true;
        w->style |= WS_VISIBLE;
        {
            const bool fromMinimized = w->Minimized();
            if (fromMinimized) {
                w->style &= ~WS_MINIMIZE;
                MoveTo(*w, w->normal);
                w = Find(window);
                if (w == nullptr) return wasVisible;
            }
            // SW_RESTORE activates and so comes on top (restoring A, B, C under Wine leaves C on
            // top and active: ../shared/WINE.md); SW_SHOWNOACTIVATE leaves the stacking order and
            // the activation as they are (ShowWindow's page).
            if (command != sim::SW_SHOWNOACTIVATE && topLevel) Activate(window);
            // Unless minimised again meanwhile (by a program acting inside its WM_SIZE).
            if (fromMinimized && topLevel && !w->Minimized() && hidesOwnedWindows) ShowOwned(window);
        }
        return wasVisible;
    case SW_SHOW:
    case sim::SW_SHOWNA:
        if (wasVisible) return true;
        w->style |= WS_VISIBLE;
        if (command == SW_SHOW && topLevel) Activate(window);
        return false;
    default:
        return false;
    }
}

bool SimMachine::SetWindowPos(Hwnd window, Hwnd insertAfter, int x, int y, int cx, int cy, Uint flags) {
    if (beforeWindowChange) beforeWindowChange();
    CallScope call(*this, 0, window);
    Window *w = Find(window);
    if (w == nullptr) return false;
    if (Refuses(*w)) return true;
    if (ThreadHung(*w)) {
        ++blockedCalls;
        return false;
    }
    WaitFor(*w);
    Rect rect = w->current;
    if (!(flags & SWP_NOMOVE)) {
        rect.right += x - rect.left;
        rect.bottom += y - rect.top;
        rect.left = x;
        rect.top = y;
    }
    if (!(flags & SWP_NOSIZE)) {
        rect.right = rect.left + cx;
        rect.bottom = rect.top + cy;
    }
    // A minimised window only moves its icon: the restore rectangle stays (WINDOWPLACEMENT's
    // rcNormalPosition). Wine ignores the move altogether (../shared/WINE.md), which tests
    // therefore do not assert.
    if (!w->Minimized()) w->normal = rect;
    if (!(flags & SWP_NOZORDER) && w->parent == nullptr) {
        if (insertAfter == sim::HWND_TOPMOST()) {
            w->exStyle |= WS_EX_TOPMOST;
            PlaceOnTop(window);
        } else if (insertAfter == sim::HWND_NOTOPMOST()) {
            if (w->Topmost()) {
                w->exStyle &= ~WS_EX_TOPMOST;
                PlaceOnTop(window);
            }
        } else if (insertAfter == sim::HWND_BOTTOM()) {
            w->exStyle &= ~WS_EX_TOPMOST;
            PlaceAtBottom(window);
        } else if (insertAfter == sim::HWND_TOP()) {
            PlaceOnTop(window);
        } else {
            PlaceAfter(window, insertAfter);
        }
        if (!(flags & SWP_NOACTIVATE) &&
            (insertAfter == sim::HWND_TOP() || insertAfter == sim::HWND_TOPMOST()) && w->Visible() &&
            !w->Minimized() && !(w->style & WS_CHILD))
            active_ = window;
    }
    MoveTo(*w, rect);
    return true;
}

bool SimMachine::GetWindowRect(Hwnd window, Rect *rect) {
    Window *w = Find(window);
    if (w == nullptr || rect == nullptr) return false;
    *rect = w->current;
    return true;
}

namespace {
// Placements of windows without WS_EX_TOOLWINDOW are in workspace coordinates.
Point WorkspaceOrigin(std::uint32_t exStyle, const Rect &work) {
    return (exStyle & WS_EX_TOOLWINDOW) != 0 ? Point{0, 0} : Point{work.left, work.top};
}
} // namespace

bool SimMachine::GetWindowPlacement(Hwnd window, WindowPlacement *placement) {
    Window *w = Find(window);
    if (w == nullptr || placement == nullptr) return false;
    const Point o = WorkspaceOrigin(w->exStyle, workArea);
    placement->flags = 0;
    placement->showCmd = !w->Visible() ? SW_HIDE : w->Minimized() ? SW_SHOWMINIMIZED : SW_SHOWNORMAL;
    placement->rcNormalPosition =
        Rect{w->normal.left - o.x, w->normal.top - o.y, w->normal.right - o.x, w->normal.bottom - o.y};
    return true;
}

bool SimMachine::SetWindowPlacement(Hwnd window, const WindowPlacement *placement) {
    if (beforeWindowChange) beforeWindowChange();
    CallScope call(*this, 0, window);
    Window *w = Find(window);
    if (w == nullptr || placement == nullptr) return false;
    if (Refuses(*w)) return true;
    if (ThreadHung(*w)) {
        ++blockedCalls;
        return false;
    }
    WaitFor(*w);
    const Point o = WorkspaceOrigin(w->exStyle, workArea);
    const Rect &r = placement->rcNormalPosition;
    w->normal = Rect{r.left + o.x, r.top + o.y, r.right + o.x, r.bottom + o.y};
    if (!w->Minimized()) MoveTo(*w, w->normal);
    ShowWindow(window, static_cast<int>(placement->showCmd));
    return true;
}

namespace {
std::string PropertyKey(const char *name) {
    std::string key = name != nullptr ? name : "";
    for (char &c : key)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return key;
}
} // namespace

// A window's properties are the system's: setting and reading them sends the window nothing and
// waits for no thread, whichever process made it.
bool SimMachine::SetPropA(Hwnd window, const char *name, std::intptr_t data) {
    if (beforeWindowChange) beforeWindowChange();
    Window *w = Find(window);
    if (w == nullptr || name == nullptr) return false;
    w->props[PropertyKey(name)] = data;
    return true;
}

std::intptr_t SimMachine::GetPropA(Hwnd window, const char *name) {
    Window *w = Find(window);
    if (w == nullptr) return 0;
    auto found = w->props.find(PropertyKey(name));
    return found != w->props.end() ? found->second : 0;
}

std::intptr_t SimMachine::RemovePropA(Hwnd window, const char *name) {
    if (beforeWindowChange) beforeWindowChange();
    Window *w = Find(window);
    if (w == nullptr) return 0;
    auto found = w->props.find(PropertyKey(name));
    if (found == w->props.end()) return 0;
    const std::intptr_t data = found->second;
    w->props.erase(found);
    return data;
}

std::vector<std::string> SimMachine::PropertyNames(Hwnd window) const {
    std::vector<std::string> names;
    if (const Window *w = Find(window))
        for (const auto &entry : w->props)
            names.push_back(entry.first);
    return names;
}

void SimMachine::EndProgram() {
    std::set<Dword> threads;
    for (const auto &entry : windows_)
        if (classes_.count(entry.second->className) != 0) threads.insert(entry.second->thread);
    std::vector<Hwnd> ended;
    for (const auto &entry : windows_) {
        Window &w = *entry.second;
        if (threads.count(w.thread) == 0) continue;
        // Nothing of the program runs any more: no procedure, no dialog handler, no subclass.
        w.proc = nullptr;
        w.subclass = nullptr;
        w.dialog = nullptr;
        if (w.kind == Window::Kind::Dialog) w.kind = Window::Kind::Plain;
        if (w.parent == nullptr) ended.push_back(entry.first);
    }
    for (Hwnd h : ended)
        if (Find(h) != nullptr) DestroyWindow(h);
    queue_.erase(std::remove_if(queue_.begin(), queue_.end(),
                                [&](const SimMessage &m) { return Find(m.window) == nullptr; }),
                 queue_.end());
}

Hwnd SimMachine::GetTopWindow(Hwnd parent) {
    if (parent == nullptr) return zorder_.empty() ? nullptr : zorder_.front();
    Window *p = Find(parent);
    return p == nullptr || p->children.empty() ? nullptr : p->children.front();
}

Hwnd SimMachine::GetWindow(Hwnd window, Uint relation) {
    Window *w = Find(window);
    if (w == nullptr) return nullptr;
    if (relation == sim::GW_OWNER) return w->owner;
    if (relation == sim::GW_CHILD) return w->children.empty() ? nullptr : w->children.front();
    const std::vector<Hwnd> &siblings = w->parent == nullptr ? zorder_ : Find(w->parent)->children;
    auto it = std::find(siblings.begin(), siblings.end(), window);
    if (it == siblings.end()) return nullptr;
    switch (relation) {
    case sim::GW_HWNDFIRST:
        return siblings.front();
    case sim::GW_HWNDLAST:
        return siblings.back();
    case GW_HWNDNEXT:
        return it + 1 == siblings.end() ? nullptr : *(it + 1);
    case sim::GW_HWNDPREV:
        return it == siblings.begin() ? nullptr : *(it - 1);
    default:
        return nullptr;
    }
}

bool SimMachine::SetForegroundWindow(Hwnd window) {
    if (Find(window) == nullptr) return false;
    Activate(window);
    return true;
}

Hwnd SimMachine::SetActiveWindow(Hwnd window) {
    if (Find(window) == nullptr) return nullptr;
    Hwnd previous = active_;
    Activate(window);
    return previous;
}

bool SimMachine::DestroyWindow(Hwnd window) {
    Window *w = Find(window);
    if (w == nullptr || w->destroying) return false;
    w->destroying = true;
    // Owned windows go first, as on Windows (DestroyWindow's page: it "first destroys child or
    // owned windows").
    std::vector<Hwnd> owned;
    for (const auto &entry : windows_)
        if (entry.second->owner == window) owned.push_back(entry.first);
    for (Hwnd h : owned)
        DestroyWindow(h);

    w = Find(window);
    w->style &= ~WS_VISIBLE;
    zorder_.erase(std::remove(zorder_.begin(), zorder_.end(), window), zorder_.end());
    if (active_ == window) ActivateNext(window);
    SendMessageA(window, WM_DESTROY, 0, 0);

    w = Find(window);
    std::vector<Hwnd> children = w->children;
    for (Hwnd h : children)
        DestroyWindow(h);
    hotKeys_.erase(std::remove_if(hotKeys_.begin(), hotKeys_.end(),
                                  [&](const SimHotKey &k) { return !k.foreign && k.window == window; }),
                   hotKeys_.end());
    w = Find(window);
    if (Window *p = Find(w->parent))
        p->children.erase(std::remove(p->children.begin(), p->children.end(), window), p->children.end());
    windows_.erase(window);
    return true;
}

bool SimMachine::EnableWindow(Hwnd window, bool enable) {
    Window *w = Find(window);
    if (w == nullptr) return false;
    bool wasDisabled = !w->enabled;
    w->enabled = enable;
    return wasDisabled;
}

bool SimMachine::GetCursorPos(Point *point) {
    if (point == nullptr) return false;
    *point = cursor_;
    return true;
}

bool SimMachine::SystemParametersInfoA(Uint action, Uint param, void *data, Uint winIni) {
    SimParameterCall call{action, param, "", 0, winIni, false};
    switch (action) {
    case SPI_GETANIMATION:
    case SPI_SETANIMATION: {
        auto *info = static_cast<AnimationInfo *>(data);
        if (info == nullptr || info->cbSize != sizeof(AnimationInfo) || param != sizeof(AnimationInfo)) break;
        if (action == SPI_GETANIMATION)
            info->iMinAnimate = minAnimate_;
        else
            minAnimate_ = info->iMinAnimate;
        call.value = info->iMinAnimate;
        call.result = true;
        break;
    }
    case SPI_SETDESKWALLPAPER:
    case SPI_SETDESKPATTERN: {
        std::string text = data != nullptr ? static_cast<const char *>(data) : "";
        call.text = text;
        call.result = true;
        (action == SPI_SETDESKWALLPAPER ? shownWallpaper_ : shownPattern_) = text;
        // Only with this flag does the system store the value itself.
        if (winIni & SPIF_UPDATEINIFILE)
            SetText(HkeyCurrentUser(), "Control Panel\\desktop",
                    action == SPI_SETDESKWALLPAPER ? "Wallpaper" : "Pattern", text);
        break;
    }
    case SPI_GETWORKAREA:
        if (data == nullptr) break;
        *static_cast<Rect *>(data) = workArea;
        call.result = true;
        break;
    default:
        break;
    }
    if (recordCalls) parameterCalls.push_back(call);
    return call.result;
}

// ---- Messages ----

Lresult SimMachine::DefWindowProc(Hwnd window, Uint message, Wparam wParam, Lparam lParam) {
    Window *w = Find(window);
    if (w == nullptr) return 0;
    switch (message) {
    case WM_SETTEXT:
        w->title = lParam != 0 ? reinterpret_cast<const char *>(lParam) : "";
        return 1;
    case sim::WM_GETTEXT:
        return CopyText(w->title, reinterpret_cast<char *>(lParam), static_cast<int>(wParam));
    case sim::WM_GETTEXTLENGTH:
        return static_cast<Lresult>(w->title.size());
    case WM_CLOSE:
        DestroyWindow(window);
        return 0;
    case WM_QUERYENDSESSION:
        return 1;
    default:
        return 0;
    }
}

Lresult SimMachine::Deliver(Hwnd window, Uint message, Wparam wParam, Lparam lParam) {
    Window *w = Find(window);
    if (w == nullptr) return 0;
    // Its procedure runs in its program, at that program's level.
    struct Level {
        int &level;
        int saved;
        ~Level() { level = saved; }
    } level{callerLevel_, callerLevel_};
    callerLevel_ = LevelOf(*w);
    if (w->subclass != nullptr) return w->subclass->WindowMessage(window, message, wParam, lParam);
    return DeliverToOwnProcedure(window, message, wParam, lParam);
}

Lresult SimMachine::DeliverToOwnProcedure(Hwnd window, Uint message, Wparam wParam, Lparam lParam) {
    Window *w = Find(window);
    if (w == nullptr) return 0;
    if (w->kind == Window::Kind::Dialog) {
        if (w->dialog == nullptr) return 0;
        DialogHandler *handler = w->dialog->handler;
        std::intptr_t result = handler->DialogMessage(window, message, wParam, lParam);
        // The dialog manager turns the close box into Esc.
        if (result == 0 && message == WM_CLOSE && Find(window) != nullptr)
            SendMessageA(window, WM_COMMAND, CommandWparam(IDCANCEL, BN_CLICKED),
                         reinterpret_cast<Lparam>(GetDlgItem(window, IDCANCEL)));
        return result;
    }
    if (w->kind == Window::Kind::Toolbar) return ToolbarMessage(*w, message, wParam, lParam);
    if (w->kind != Window::Kind::Plain) return ControlMessage(*w, message, wParam, lParam);
    const Habit habit = w->habit;
    Lresult result = 0;
    if (w->proc) {
        SimWindowProc proc = w->proc; // the procedure may replace itself or destroy the window
        result = proc(window, message, wParam, lParam);
    } else {
        result = DefWindowProc(window, message, wParam, lParam);
    }
    if (message == WM_SIZE && wParam == sim::SIZE_MINIMIZED && habit != Habit::None && IsMinimized(window))
        ShowWindow(window, habit == Habit::HideWhenMinimized ? SW_HIDE : SW_RESTORE);
    return result;
}

Lresult SimMachine::SendMessageA(Hwnd window, Uint message, Wparam wParam, Lparam lParam) {
    CallScope call(*this, 0, window);
    if (recordCalls) messages.push_back({window, message, wParam, lParam, false});
    if (Window *w = Find(window); w != nullptr && !Passes(message) && Refuses(*w)) return 0;
    if (Window *w = Find(window); w != nullptr && ThreadHung(*w)) {
        ++blockedCalls;
        return 0;
    } else if (w != nullptr) {
        WaitFor(*w);
    }
    return Deliver(window, message, wParam, lParam);
}

Lresult SimMachine::SendMessageTimeoutA(Hwnd window, Uint message, Wparam wParam, Lparam lParam, Uint flags,
                                        Uint timeout, std::uintptr_t *result) {
    ++answerChecks;
    Window *w = Find(window);
    CallScope call(*this, w != nullptr ? w->thread : 0, window);
    if (w == nullptr || (!Passes(message) && Refuses(*w))) return 0;
    if (ThreadHung(*w)) {
        // SMTO_ABORTIFHUNG: no wait for a thread the system already holds for hung.
        const bool heldHung = (flags & SMTO_ABORTIFHUNG) != 0 && now_ - hungSince_[w->thread] >= 5000;
        if (!heldHung) {
            now_ += timeout;
            waited += timeout;
        }
        return 0;
    }
    if (auto busy = busyUntil_.find(w->thread); busy != busyUntil_.end() && busy->second > now_) {
        if (busy->second - now_ > timeout) {
            now_ += timeout;
            waited += timeout;
            return 0;
        }
        WaitFor(*w);
    }
    if (recordCalls) messages.push_back({window, message, wParam, lParam, false});
    Lresult answer = Deliver(window, message, wParam, lParam);
    if (result != nullptr) *result = static_cast<std::uintptr_t>(answer);
    return 1;
}

Uint SimMachine::RegisterWindowMessageA(const char *name) {
    if (name == nullptr || *name == '\0') return 0;
    // Names compare without case; the numbers come from the range Windows uses.
    for (std::size_t i = 0; i < registeredMessages_.size(); ++i)
        if (Lower(registeredMessages_[i]) == Lower(name)) return static_cast<Uint>(0xC000 + i);
    registeredMessages_.push_back(name);
    return static_cast<Uint>(0xC000 + registeredMessages_.size() - 1);
}

void SimMachine::SetHung(Hwnd window, bool hung) {
    Window *w = Find(window);
    if (w == nullptr) return;
    if (hung) {
        Stop(w->thread);
    } else {
        hungThreads_.erase(w->thread);
        stopsAfterCall_.erase(w->thread);
        busyAfterCall_.erase(w->thread);
        busyUntil_.erase(w->thread);
    }
}

void SimMachine::Stop(Dword thread) {
    if (hungThreads_.insert(thread).second) hungSince_[thread] = now_;
}

void SimMachine::KeepBusy(Hwnd window, Dword ms) {
    Window *w = Find(window);
    if (w == nullptr) return;
    if (callDepth_ == 0)
        busyUntil_[w->thread] = std::max(busyUntil_[w->thread], now_ + ms);
    else
        busyAfterCall_[w->thread] = std::max(busyAfterCall_[w->thread], ms);
}

bool SimMachine::IsBusy(Hwnd window) const {
    const Window *w = Find(window);
    if (w == nullptr) return false;
    const auto busy = busyUntil_.find(w->thread);
    return busy != busyUntil_.end() && busy->second > now_;
}

void SimMachine::WaitFor(const Window &w) {
    const auto busy = busyUntil_.find(w.thread);
    if (busy == busyUntil_.end() || busy->second <= now_) return;
    waited += busy->second - now_;
    now_ = busy->second;
}

bool SimMachine::SetTimer(Hwnd window, Uint id, Uint elapse) {
    if (window == nullptr || Find(window) == nullptr) return false;
    KillTimer(window, id);
    timers_.push_back({window, id, std::max<Dword>(elapse, 1), now_ + std::max<Dword>(elapse, 1)});
    return true;
}

bool SimMachine::KillTimer(Hwnd window, Uint id) {
    const auto before = timers_.size();
    timers_.erase(std::remove_if(timers_.begin(), timers_.end(),
                                 [&](const Timer &t) { return t.window == window && t.id == id; }),
                  timers_.end());
    return timers_.size() != before;
}

bool SimMachine::HasTimer(Hwnd window, Uint id) const {
    return std::any_of(timers_.begin(), timers_.end(),
                       [&](const Timer &t) { return t.window == window && t.id == id; });
}

void SimMachine::AdvanceTime(Dword ms) {
    const Dword end = now_ + ms;
    PumpMessages();
    for (;;) {
        // The next timer due before the end; the clock may have passed it inside a call.
        const Timer *next = nullptr;
        for (const Timer &t : timers_)
            if (t.due <= end && (next == nullptr || t.due < next->due)) next = &t;
        if (next == nullptr) break;
        const Timer timer = *next;
        if (timer.due > now_) now_ = timer.due;
        for (Timer &t : timers_)
            if (t.window == timer.window && t.id == timer.id) t.due = now_ + t.period;
        // A timer's messages are destroyed with its window.
        if (Find(timer.window) == nullptr) {
            KillTimer(timer.window, timer.id);
            continue;
        }
        PostMessageA(timer.window, WM_TIMER, timer.id, 0);
        PumpMessages();
    }
    if (end > now_) now_ = end;
}

void SimMachine::StopWhenCallReturns(Hwnd window) {
    Window *w = Find(window);
    if (w == nullptr) return;
    if (callDepth_ == 0)
        hungThreads_.insert(w->thread);
    else
        stopsAfterCall_.insert(w->thread);
}

SimMachine::CallScope::CallScope(SimMachine &s, Dword thread, Hwnd target) : sim(s), asked(thread) {
    if (++sim.callDepth_ != 1) return;
    const Window *w = sim.Find(target);
    sim.callTarget_ = w != nullptr ? w->thread : 0;
}

SimMachine::CallScope::~CallScope() {
    if (--sim.callDepth_ != 0) return;
    for (auto i = sim.stopsAfterCall_.begin(); i != sim.stopsAfterCall_.end();) {
        if (*i == asked) {
            ++i;
            continue;
        }
        sim.Stop(*i);
        i = sim.stopsAfterCall_.erase(i);
    }
    for (auto i = sim.busyAfterCall_.begin(); i != sim.busyAfterCall_.end();) {
        if (i->first == asked) {
            ++i;
            continue;
        }
        Dword &until = sim.busyUntil_[i->first];
        until = std::max(until, sim.now_ + i->second);
        i = sim.busyAfterCall_.erase(i);
    }
}

bool SimMachine::IsHung(Hwnd window) const {
    Window *w = Find(window);
    return w != nullptr && ThreadHung(*w);
}

bool SimMachine::ThreadHung(const Window &w) const {
    return hungThreads_.count(w.thread) != 0;
}

void SimMachine::ShareThread(Hwnd window, Hwnd with) {
    Window *w = Find(window);
    const Window *other = Find(with);
    if (w != nullptr && other != nullptr) w->thread = other->thread;
}

Dword SimMachine::GetWindowThreadProcessId(Hwnd window) {
    Window *w = Find(window);
    return w != nullptr ? w->thread : 0;
}

void SimMachine::RestartTaskbar(bool broadcast) {
    icons_.clear();
    if (!broadcast) return;
    const Uint message = RegisterWindowMessageA("TaskbarCreated");
    std::vector<Hwnd> windows = zorder_;
    for (Hwnd h : windows)
        if (Window *w = Find(h); w != nullptr && !ThreadHung(*w)) SendMessageA(h, message, 0, 0);
}

bool SimMachine::PostMessageA(Hwnd window, Uint message, Wparam wParam, Lparam lParam) {
    if (recordCalls) messages.push_back({window, message, wParam, lParam, true});
    if (window != nullptr && Find(window) == nullptr) return false;
    if (window != nullptr && !Passes(message) && Refuses(*Find(window))) return true; // dropped
    queue_.push_back({window, message, wParam, lParam, true});
    return true;
}

void SimMachine::PostQuitMessage(int exitCode) {
    quitPosted_ = true;
    quitCode_ = exitCode;
}

bool SimMachine::PumpMessages(int limit) {
    int dispatched = 0;
    while (!queue_.empty()) {
        if (dispatched++ >= limit) {
            pumpOverflow_ = true;
            return false;
        }
        SimMessage m = queue_.front();
        queue_.pop_front();
        // Thread messages and those of windows destroyed meanwhile reach nobody.
        if (m.window != nullptr) Deliver(m.window, m.message, m.wParam, m.lParam);
    }
    return true;
}

std::size_t SimMachine::CountMessages(Hwnd window, Uint message) const {
    return static_cast<std::size_t>(std::count_if(messages.begin(), messages.end(), [&](const SimMessage &m) {
        return m.window == window && m.message == message;
    }));
}

int SimMachine::MessageBoxA(Hwnd owner, const char *text, const char *caption, Uint type) {
    if (owner != nullptr && Find(owner) == nullptr) return 0;
    std::string title = caption != nullptr ? caption : "Error";
    Hwnd box = MakeWindow("#32770", title, WS_POPUP | WS_VISIBLE | WS_CAPTION | WS_SYSMENU, 0,
                          {312, 300, 712, 420}, nullptr, owner);
    Activate(box);
    std::size_t index = messageBoxes.size();
    messageBoxes.push_back({owner, text != nullptr ? text : "", title, type, box, 0});
    // The box is modal to its owner.
    bool disabledOwner = owner != nullptr && Find(owner)->enabled;
    if (disabledOwner) Find(owner)->enabled = false;

    PumpMessages();
    int answer = 0;
    if (messageBoxHook) {
        SimMessageBoxHook hook = messageBoxHook;
        SimMessageBox shown = messageBoxes[index];
        answer = hook(*this, shown);
    }
    if (answer == 0 && !boxAnswers_.empty()) {
        answer = boxAnswers_.front();
        boxAnswers_.pop_front();
    }
    if (answer == 0) answer = (type & 0xF) == MB_OK ? IDOK : defaultMessageBoxAnswer;
    PumpMessages();

    if (disabledOwner && Find(owner) != nullptr) Find(owner)->enabled = true;
    DestroyWindow(box);
    messageBoxes[index].answer = answer;
    return answer;
}

// ---- Registry ----

void SimMachine::LogRegistry(const char *operation, const std::string &path, const char *name,
                             std::int32_t result) {
    if (recordCalls) registryCalls.push_back({operation, path, name != nullptr ? name : "", result});
}

std::int32_t SimMachine::Resolve(Hkey handle, std::shared_ptr<Key> &key, Dword &access) const {
    if (handle == HkeyCurrentUser() || handle == HkeyLocalMachine()) {
        key = handle == HkeyCurrentUser() ? currentUser_ : localMachine_;
        access = ~Dword{0};
        return ERROR_SUCCESS;
    }
    auto it = openKeys_.find(handle);
    if (it == openKeys_.end()) return sim::ERROR_INVALID_HANDLE;
    if (it->second.key->deleted) return sim::ERROR_KEY_DELETED;
    key = it->second.key;
    access = it->second.access;
    return ERROR_SUCCESS;
}

std::shared_ptr<SimMachine::Key> SimMachine::Walk(Hkey root, const std::string &path) const {
    std::shared_ptr<Key> key;
    Dword access = 0;
    std::vector<std::string> parts;
    if (Resolve(root, key, access) != ERROR_SUCCESS || !SplitPath(path.c_str(), parts)) return nullptr;
    for (const std::string &part : parts) {
        auto it = key->subkeys.find(Lower(part));
        if (it == key->subkeys.end()) return nullptr;
        key = it->second;
    }
    return key;
}

std::shared_ptr<SimMachine::Key> SimMachine::WalkOrMake(Hkey root, const std::string &path) {
    std::shared_ptr<Key> key;
    Dword access = 0;
    std::vector<std::string> parts;
    if (Resolve(root, key, access) != ERROR_SUCCESS || !SplitPath(path.c_str(), parts)) return nullptr;
    for (const std::string &part : parts) {
        std::shared_ptr<Key> &child = key->subkeys[Lower(part)];
        if (!child) {
            child = std::make_shared<Key>();
            child->name = part;
            child->path = key->path + "\\" + part;
        }
        key = child;
    }
    return key;
}

void SimMachine::MarkDeleted(Key &key) {
    key.deleted = true;
    for (auto &sub : key.subkeys)
        MarkDeleted(*sub.second);
}

bool SimMachine::Denied(const Key &key) const {
    return DeniedPath(key.path);
}

bool SimMachine::DeniedPath(const std::string &keyPath) const {
    const std::string path = Lower(keyPath);
    for (const std::string &denied : deniedPaths_)
        if (path == denied || path.compare(0, denied.size() + 1, denied + "\\") == 0) return true;
    return false;
}

Hkey SimMachine::HandOut(std::shared_ptr<Key> key, Dword access) {
    Hkey handle = reinterpret_cast<Hkey>(KeyBase + 4 * ++nextKey_);
    openKeys_[handle] = {std::move(key), access};
    return handle;
}

// Both open and create walk the existing keys; only create makes the missing ones, checking the
// whole way first so that a refused creation leaves nothing behind. Making a key right under
// the handle's key needs KEY_CREATE_SUB_KEY on that handle.
std::int32_t SimMachine::OpenKey(bool create, Hkey parent, const char *path, Dword access, Hkey *result) {
    std::shared_ptr<Key> key;
    Dword parentAccess = 0;
    std::vector<std::string> parts;
    std::int32_t status =
        result == nullptr ? sim::ERROR_INVALID_PARAMETER : Resolve(parent, key, parentAccess);
    if (result != nullptr) *result = nullptr;
    if (status == ERROR_SUCCESS && !SplitPath(path, parts)) status = sim::ERROR_BAD_PATHNAME;
    const std::string where = key ? key->path : "?";
    if (status == ERROR_SUCCESS && create) status = CountWrite();
    std::size_t found = 0;
    for (; status == ERROR_SUCCESS && found < parts.size(); ++found) {
        auto it = key->subkeys.find(Lower(parts[found]));
        if (it == key->subkeys.end()) break;
        key = it->second;
    }
    if (status == ERROR_SUCCESS && found < parts.size()) {
        if (!create)
            status = ERROR_FILE_NOT_FOUND;
        else if (found == 0 && !(parentAccess & sim::KEY_CREATE_SUB_KEY))
            status = ERROR_ACCESS_DENIED;
        std::string prospective = key->path;
        for (std::size_t i = found; status == ERROR_SUCCESS && i < parts.size(); ++i) {
            prospective += "\\" + parts[i];
            if (DeniedPath(prospective)) status = ERROR_ACCESS_DENIED;
        }
        for (std::size_t i = found; status == ERROR_SUCCESS && i < parts.size(); ++i) {
            auto child = std::make_shared<Key>();
            child->name = parts[i];
            child->path = key->path + "\\" + parts[i];
            key->subkeys[Lower(parts[i])] = child;
            key = child;
        }
    }
    const Dword rights = Rights(access);
    if (status == ERROR_SUCCESS && (rights & WriteRights) && Denied(*key)) status = ERROR_ACCESS_DENIED;
    if (status == ERROR_SUCCESS) status = ReadFailure(key->path, rights);
    if (status == ERROR_SUCCESS) *result = HandOut(key, rights);
    LogRegistry(create ? "create" : "open", status == ERROR_SUCCESS ? key->path : where, path, status);
    return status;
}

std::int32_t SimMachine::RegOpenKeyExA(Hkey parent, const char *path, Dword access, Hkey *result) {
    return OpenKey(false, parent, path, access, result);
}

std::int32_t SimMachine::RegCreateKeyExA(Hkey parent, const char *path, Dword access, Hkey *result) {
    return OpenKey(true, parent, path, access, result);
}

std::int32_t SimMachine::RegQueryValueExA(Hkey key, const char *name, Dword *type, void *data, Dword *size) {
    std::shared_ptr<Key> k;
    Dword access = 0;
    std::int32_t status = Resolve(key, k, access);
    const std::string valueName = name != nullptr ? name : "";
    if (status == ERROR_SUCCESS && !(access & KEY_QUERY_VALUE)) status = ERROR_ACCESS_DENIED;
    if (status == ERROR_SUCCESS && data != nullptr && size == nullptr) status = sim::ERROR_INVALID_PARAMETER;
    const SimValue *value = nullptr;
    if (status == ERROR_SUCCESS) {
        auto it = k->values.find(Lower(valueName));
        if (it == k->values.end())
            status = ERROR_FILE_NOT_FOUND;
        else
            value = &it->second.second;
    }
    if (status == ERROR_SUCCESS) {
        const Dword needed = static_cast<Dword>(value->data.size());
        if (type != nullptr) *type = value->type;
        // A buffer too small is not written at all.
        if (data != nullptr && *size < needed)
            status = ERROR_MORE_DATA;
        else if (data != nullptr && needed > 0)
            std::memcpy(data, value->data.data(), needed);
        if (size != nullptr) *size = needed;
    }
    LogRegistry("query", k ? k->path : "?", valueName.c_str(), status);
    return status;
}

std::int32_t SimMachine::RegSetValueExA(Hkey key, const char *name, Dword type, const void *data,
                                        Dword size) {
    std::shared_ptr<Key> k;
    Dword access = 0;
    std::int32_t status = Resolve(key, k, access);
    const std::string valueName = name != nullptr ? name : "";
    if (status == ERROR_SUCCESS && (!(access & KEY_SET_VALUE) || Denied(*k))) status = ERROR_ACCESS_DENIED;
    if (status == ERROR_SUCCESS && data == nullptr && size > 0) status = sim::ERROR_INVALID_PARAMETER;
    if (status == ERROR_SUCCESS) status = CountWrite();
    if (status == ERROR_SUCCESS) {
        auto &slot = k->values[Lower(valueName)];
        if (slot.first.empty()) slot.first = valueName;
        const auto *bytes = static_cast<const std::uint8_t *>(data);
        // As Windows (and Wine): a string whose size leaves out the zero that follows it gets
        // the zero counted. The system reads that byte past the given size, so does this.
        if (type == REG_SZ && size > 0 && bytes[size - 1] != 0 && bytes[size] == 0) ++size;
        // The Windows 95 family keeps a string as its text and one zero, whatever size was given.
        if (type == REG_SZ && Windows95Family() && bytes != nullptr)
            size = static_cast<Dword>(std::find(bytes, bytes + size, 0) - bytes) + 1;
        slot.second.type = type;
        slot.second.data.assign(bytes, bytes + (bytes != nullptr ? size : 0));
    }
    LogRegistry("set", k ? k->path : "?", valueName.c_str(), status);
    return status;
}

std::int32_t SimMachine::RegDeleteKeyA(Hkey parent, const char *path) {
    std::shared_ptr<Key> key;
    Dword access = 0;
    std::vector<std::string> parts;
    std::int32_t status = Resolve(parent, key, access);
    std::string where = key ? key->path : "?";
    if (status == ERROR_SUCCESS && (path == nullptr || *path == '\0')) status = sim::ERROR_INVALID_PARAMETER;
    if (status == ERROR_SUCCESS && !SplitPath(path, parts)) status = sim::ERROR_BAD_PATHNAME;
    if (status == ERROR_SUCCESS) status = CountWrite();
    std::shared_ptr<Key> holder;
    for (std::size_t i = 0; status == ERROR_SUCCESS && i < parts.size(); ++i) {
        auto it = key->subkeys.find(Lower(parts[i]));
        if (it == key->subkeys.end()) {
            status = ERROR_FILE_NOT_FOUND;
        } else {
            holder = key;
            key = it->second;
        }
    }
    // NT refuses a key with subkeys; the Windows 95 family deletes it with all below it.
    if (status == ERROR_SUCCESS && Denied(*key)) status = ERROR_ACCESS_DENIED;
    if (status == ERROR_SUCCESS && !key->subkeys.empty() && !Windows95Family()) status = ERROR_ACCESS_DENIED;
    if (status == ERROR_SUCCESS) {
        where = key->path;
        MarkDeleted(*key);
        holder->subkeys.erase(Lower(key->name));
    }
    LogRegistry("deletekey", where, path, status);
    return status;
}

std::int32_t SimMachine::RegDeleteValueA(Hkey key, const char *name) {
    std::shared_ptr<Key> k;
    Dword access = 0;
    std::int32_t status = Resolve(key, k, access);
    const std::string valueName = name != nullptr ? name : "";
    if (status == ERROR_SUCCESS && (!(access & KEY_SET_VALUE) || Denied(*k))) status = ERROR_ACCESS_DENIED;
    if (status == ERROR_SUCCESS) status = CountWrite();
    if (status == ERROR_SUCCESS && k->values.erase(Lower(valueName)) == 0) status = ERROR_FILE_NOT_FOUND;
    LogRegistry("deletevalue", k ? k->path : "?", valueName.c_str(), status);
    return status;
}

std::int32_t SimMachine::RegCloseKey(Hkey key) {
    std::int32_t status = sim::ERROR_INVALID_HANDLE;
    std::string where = "?";
    if (key == HkeyCurrentUser() || key == HkeyLocalMachine()) {
        status = ERROR_SUCCESS;
    } else {
        auto it = openKeys_.find(key);
        if (it != openKeys_.end()) {
            where = it->second.key->path;
            openKeys_.erase(it);
            status = ERROR_SUCCESS;
        }
    }
    LogRegistry("close", where, nullptr, status);
    return status;
}

bool SimMachine::KeyExists(Hkey root, const std::string &path) const {
    return Walk(root, path) != nullptr;
}

std::vector<std::string> SimMachine::SubKeys(Hkey root, const std::string &path) const {
    std::vector<std::string> names;
    if (auto key = Walk(root, path))
        for (const auto &entry : key->subkeys)
            names.push_back(entry.second->name);
    return names;
}

std::vector<std::string> SimMachine::ValueNames(Hkey root, const std::string &path) const {
    std::vector<std::string> names;
    if (auto key = Walk(root, path))
        for (const auto &entry : key->values)
            names.push_back(entry.second.first);
    return names;
}

std::optional<SimValue> SimMachine::Value(Hkey root, const std::string &path, const std::string &name) const {
    auto key = Walk(root, path);
    if (!key) return std::nullopt;
    auto it = key->values.find(Lower(name));
    if (it == key->values.end()) return std::nullopt;
    return it->second.second;
}

void SimMachine::CreateKey(Hkey root, const std::string &path) {
    WalkOrMake(root, path);
}

void SimMachine::SetValue(Hkey root, const std::string &path, const std::string &name, Dword type,
                          std::vector<std::uint8_t> data) {
    auto key = WalkOrMake(root, path);
    if (!key) return;
    auto &slot = key->values[Lower(name)];
    if (slot.first.empty()) slot.first = name;
    slot.second.type = type;
    slot.second.data = std::move(data);
}

void SimMachine::SetText(Hkey root, const std::string &path, const std::string &name, const std::string &text,
                         std::size_t size) {
    std::vector<std::uint8_t> data(text.begin(), text.end());
    data.push_back(0);
    if (data.size() < size) data.resize(size, 0);
    SetValue(root, path, name, REG_SZ, std::move(data));
}

void SimMachine::SetNumber(Hkey root, const std::string &path, const std::string &name, std::uint32_t value,
                           Dword size) {
    std::vector<std::uint8_t> data;
    for (Dword i = 0; i < size && i < 4; ++i)
        data.push_back(static_cast<std::uint8_t>(value >> (8 * i)));
    SetValue(root, path, name, REG_DWORD, std::move(data));
}

void SimMachine::DenyWrites(Hkey root, const std::string &path) {
    std::string prefix = root == HkeyLocalMachine() ? "hklm" : "hkcu";
    deniedPaths_.push_back(path.empty() ? prefix : prefix + "\\" + Lower(path));
}

std::int32_t SimMachine::CountWrite() {
    ++registryWrites;
    return writeLimit_ && registryWrites > *writeLimit_ ? sim::ERROR_REGISTRY_IO_FAILED : ERROR_SUCCESS;
}

void SimMachine::FailReads(Hkey root, const std::string &path, std::int32_t error) {
    std::string prefix = root == HkeyLocalMachine() ? "hklm" : "hkcu";
    readFailures_.emplace_back(path.empty() ? prefix : prefix + "\\" + Lower(path), error);
}

std::int32_t SimMachine::ReadFailure(const std::string &keyPath, Dword rights) const {
    constexpr Dword ReadRights = KEY_QUERY_VALUE | 0x0008 | 0x0010; // value, enumerate, notify
    if (!(rights & ReadRights)) return ERROR_SUCCESS;
    const std::string path = Lower(keyPath);
    for (const auto &[failing, error] : readFailures_)
        if (path == failing || path.compare(0, failing.size() + 1, failing + "\\") == 0) return error;
    return ERROR_SUCCESS;
}

std::size_t SimMachine::CountRegistryCalls(const std::string &operation, const std::string &pathPart) const {
    const std::string part = Lower(pathPart);
    return static_cast<std::size_t>(
        std::count_if(registryCalls.begin(), registryCalls.end(), [&](const auto &c) {
            return c.operation == operation && Lower(c.path).find(part) != std::string::npos;
        }));
}

// ---- Shell ----

bool SimMachine::Shell_NotifyIconA(Dword message, const NotifyIconData *data) {
    SimNotifyCall call{message, data != nullptr ? *data : NotifyIconData{}, false};
    if (data != nullptr) {
        auto it = std::find_if(icons_.begin(), icons_.end(),
                               [&](const SimIcon &i) { return i.window == data->hWnd && i.id == data->uID; });
        auto apply = [&](SimIcon &icon) {
            if (data->uFlags & NIF_MESSAGE) icon.callbackMessage = data->uCallbackMessage;
            if (data->uFlags & NIF_ICON) icon.icon = data->hIcon;
            if (data->uFlags & NIF_TIP) {
                const char *end = std::find(data->szTip, data->szTip + sizeof data->szTip - 1, '\0');
                icon.tip.assign(data->szTip, end);
            }
        };
        if (message == NIM_ADD && it == icons_.end()) {
            SimIcon icon{data->hWnd, data->uID, 0, nullptr, ""};
            apply(icon);
            icons_.push_back(icon);
            call.result = true;
        } else if (message == NIM_MODIFY && it != icons_.end()) {
            apply(*it);
            call.result = true;
        } else if (message == NIM_DELETE && it != icons_.end()) {
            icons_.erase(it);
            call.result = true;
        }
    }
    if (recordCalls) notifyCalls.push_back(call);
    return call.result;
}

const SimIcon *SimMachine::NotifyIcon(Hwnd window, Uint id) const {
    auto it = std::find_if(icons_.begin(), icons_.end(),
                           [&](const SimIcon &i) { return i.window == window && i.id == id; });
    return it == icons_.end() ? nullptr : &*it;
}

bool SimMachine::ClickNotifyIcon(Hwnd window, Uint id, bool rightButton) {
    const SimIcon *icon = NotifyIcon(window, id);
    if (icon == nullptr) return false;
    const Uint callback = icon->callbackMessage;
    PostMessageA(window, callback, id, WM_MOUSEMOVE);
    PostMessageA(window, callback, id, rightButton ? WM_RBUTTONDOWN : WM_LBUTTONDOWN);
    PostMessageA(window, callback, id, rightButton ? WM_RBUTTONUP : WM_LBUTTONUP);
    PumpMessages();
    return true;
}

namespace {
constexpr Uint HotKeyModifierMask = MOD_ALT | MOD_CONTROL | MOD_SHIFT | 0x0008; // and MOD_WIN
}

bool SimMachine::RegisterHotKey(Hwnd window, int id, Uint modifiers, Uint key) {
    if (window != nullptr && Find(window) == nullptr) return false;
    modifiers &= HotKeyModifierMask;
    if (HotKeyHolder(modifiers, key)) return false;
    // As Wine does: the same window and identifier again takes the new combination.
    for (SimHotKey &k : hotKeys_)
        if (!k.foreign && k.window == window && k.id == id) {
            k.modifiers = modifiers;
            k.key = key;
            return true;
        }
    hotKeys_.push_back({window, id, modifiers, key, false});
    return true;
}

bool SimMachine::UnregisterHotKey(Hwnd window, int id) {
    auto it = std::find_if(hotKeys_.begin(), hotKeys_.end(), [&](const SimHotKey &k) {
        return !k.foreign && k.window == window && k.id == id;
    });
    if (it == hotKeys_.end()) return false;
    hotKeys_.erase(it);
    return true;
}

void SimMachine::HoldHotKeyElsewhere(Uint modifiers, Uint key) {
    hotKeys_.push_back({nullptr, -1, modifiers & HotKeyModifierMask, key, true});
}

std::optional<SimHotKey> SimMachine::HotKeyHolder(Uint modifiers, Uint key) const {
    modifiers &= HotKeyModifierMask;
    for (const SimHotKey &k : hotKeys_)
        if (k.modifiers == modifiers && k.key == key) return k;
    return std::nullopt;
}

bool SimMachine::PressHotKey(Uint modifiers, Uint key) {
    std::optional<SimHotKey> holder = HotKeyHolder(modifiers, key);
    if (!holder || holder->foreign) return false;
    PostMessageA(holder->window, WM_HOTKEY, static_cast<Wparam>(holder->id),
                 PackPoint(static_cast<std::int32_t>(holder->modifiers), static_cast<std::int32_t>(key)));
    PumpMessages();
    return true;
}

// ---- Resources ----

int SimMachine::LoadStringA(Uint id, char *buffer, int size) {
    if (buffer == nullptr || size <= 0) return 0;
    const char *text = StringResource(id);
    return CopyText(text != nullptr ? text : "", buffer, size);
}

Hicon SimMachine::LoadIconA(int id) {
    if (std::find(std::begin(IconResources), std::end(IconResources), id) == std::end(IconResources))
        return nullptr;
    return reinterpret_cast<Hicon>(IconBase + 4 * static_cast<std::uintptr_t>(id));
}

int SimMachine::IconId(Hicon icon) {
    auto value = reinterpret_cast<std::uintptr_t>(icon);
    if (value < IconBase || value >= IconBase + 4 * 0x10000 || value % 4 != 0) return -1;
    return static_cast<int>((value - IconBase) / 4);
}

Hmenu SimMachine::LoadMenuA(int id) {
    const MenuTemplateItem *root = MenuTemplate(id);
    if (root == nullptr) return nullptr;
    std::function<Hmenu(const MenuTemplateItem &)> build = [&](const MenuTemplateItem &parent) {
        Hmenu menu = MakeMenu();
        for (int i = 0; i < parent.childCount; ++i) {
            const MenuTemplateItem &item = parent.children[i];
            MenuEntry entry;
            entry.type = item.type;
            entry.state = item.state;
            entry.id = item.id;
            entry.text = item.text != nullptr ? item.text : "";
            if (item.children != nullptr && item.childCount > 0) entry.sub = build(item);
            FindMenu(menu)->items.push_back(entry);
        }
        return menu;
    };
    return build(*root);
}

// ---- Menus ----

SimMachine::Menu *SimMachine::FindMenu(Hmenu menu) const {
    auto it = menus_.find(menu);
    return it == menus_.end() ? nullptr : it->second.get();
}

Hmenu SimMachine::MakeMenu() {
    Hmenu handle = reinterpret_cast<Hmenu>(MenuBase + 4 * ++nextMenu_);
    menus_[handle] = std::make_unique<Menu>();
    ++menusMade_;
    return handle;
}

bool SimMachine::IsMenu(Hmenu menu) const {
    return FindMenu(menu) != nullptr;
}

std::size_t SimMachine::LiveMenuCount() const {
    return menus_.size();
}

// By command, Windows searches the pop-ups depth first; a pop-up item whose own identifier
// matches is the answer only when nothing inside matches.
bool SimMachine::Locate(Hmenu menu, Uint item, bool byPosition, Hmenu &owner, std::size_t &index) const {
    Menu *m = FindMenu(menu);
    if (m == nullptr) return false;
    if (byPosition) {
        if (item >= m->items.size()) return false;
        owner = menu;
        index = item;
        return true;
    }
    bool fallback = false;
    for (std::size_t i = 0; i < m->items.size(); ++i) {
        const MenuEntry &e = m->items[i];
        if (e.sub != nullptr) {
            if (Locate(e.sub, item, false, owner, index)) return true;
            if (e.id == item && !fallback) {
                fallback = true;
                owner = menu;
                index = i;
            }
        } else if (!(e.type & MFT_SEPARATOR) && e.id == item) {
            owner = menu;
            index = i;
            return true;
        }
    }
    return fallback;
}

Hmenu SimMachine::GetSubMenu(Hmenu menu, int position) {
    Menu *m = FindMenu(menu);
    if (m == nullptr || position < 0 || static_cast<std::size_t>(position) >= m->items.size()) return nullptr;
    return m->items[static_cast<std::size_t>(position)].sub;
}

Hmenu SimMachine::CreatePopupMenu() {
    return MakeMenu();
}

bool SimMachine::AppendMenuA(Hmenu menu, Uint flags, std::uintptr_t id, const char *text) {
    Menu *m = FindMenu(menu);
    if (m == nullptr) return false;
    MenuEntry entry;
    entry.state = flags & (MF_GRAYED | sim::MF_DISABLED | MF_CHECKED | MFS_DEFAULT);
    entry.id = static_cast<Uint>(id);
    if (flags & MF_SEPARATOR) {
        entry.type = MFT_SEPARATOR;
        entry.id = 0;
    } else {
        entry.text = text != nullptr ? text : "";
    }
    if (flags & MF_POPUP) {
        Hmenu sub = reinterpret_cast<Hmenu>(id);
        if (FindMenu(sub) == nullptr || sub == menu) return false;
        entry.sub = sub;
    }
    m->items.push_back(entry);
    return true;
}

bool SimMachine::RemoveMenu(Hmenu menu, Uint item, Uint flags) {
    Hmenu owner = nullptr;
    std::size_t index = 0;
    if (!Locate(menu, item, (flags & MF_BYPOSITION) != 0, owner, index)) return false;
    // Removing does not destroy a pop-up: it now belongs to whoever removed it.
    auto &items = FindMenu(owner)->items;
    items.erase(items.begin() + static_cast<std::ptrdiff_t>(index));
    return true;
}

bool SimMachine::GetMenuItemInfoA(Hmenu menu, Uint item, bool byPosition, MenuItemInfo *info) {
    Hmenu owner = nullptr;
    std::size_t index = 0;
    if (info == nullptr || !Locate(menu, item, byPosition, owner, index)) return false;
    const MenuEntry &e = FindMenu(owner)->items[index];
    if (info->fMask & MIIM_STATE) info->fState = e.state;
    if (info->fMask & MIIM_ID) info->wID = e.id;
    if (info->fMask & MIIM_SUBMENU) info->hSubMenu = e.sub;
    if (info->fMask & MIIM_TYPE) {
        info->fType = e.type;
        if (e.type & MFT_SEPARATOR) {
            if (info->dwTypeData != nullptr && info->cch > 0) info->dwTypeData[0] = '\0';
            info->cch = 0;
        } else if (info->dwTypeData != nullptr && info->cch > 0) {
            // Copies what fits; cch comes back as the number of characters copied.
            info->cch = static_cast<Uint>(CopyText(e.text, info->dwTypeData, static_cast<int>(info->cch)));
        } else {
            info->cch = static_cast<Uint>(e.text.size());
        }
    }
    return true;
}

namespace {
bool ApplyInfo(const MenuItemInfo &info, SimMachine &machine, Uint &type, Uint &state, Uint &id, Hmenu &sub,
               std::string &text) {
    if ((info.fMask & MIIM_SUBMENU) && info.hSubMenu != nullptr && !machine.IsMenu(info.hSubMenu))
        return false;
    if (info.fMask & MIIM_TYPE) {
        type = info.fType;
        text = (type & MFT_SEPARATOR) || info.dwTypeData == nullptr ? "" : info.dwTypeData;
    }
    if (info.fMask & MIIM_STATE) state = info.fState;
    if (info.fMask & MIIM_ID) id = info.wID;
    if (info.fMask & MIIM_SUBMENU) sub = info.hSubMenu;
    return true;
}
} // namespace

bool SimMachine::SetMenuItemInfoA(Hmenu menu, Uint item, bool byPosition, const MenuItemInfo *info) {
    Hmenu owner = nullptr;
    std::size_t index = 0;
    if (info == nullptr || !Locate(menu, item, byPosition, owner, index)) return false;
    MenuEntry &e = FindMenu(owner)->items[index];
    return ApplyInfo(*info, *this, e.type, e.state, e.id, e.sub, e.text);
}

bool SimMachine::InsertMenuItemA(Hmenu menu, Uint item, bool byPosition, const MenuItemInfo *info) {
    Menu *m = FindMenu(menu);
    if (m == nullptr || info == nullptr) return false;
    Hmenu owner = menu;
    std::size_t index = m->items.size();
    if (byPosition) {
        if (item < m->items.size()) index = item;
    } else if (!Locate(menu, item, false, owner, index)) {
        if (item != 0xFFFFFFFFu) return false;
        owner = menu;
        index = m->items.size();
    }
    MenuEntry entry;
    if (!ApplyInfo(*info, *this, entry.type, entry.state, entry.id, entry.sub, entry.text)) return false;
    auto &items = FindMenu(owner)->items;
    items.insert(items.begin() + static_cast<std::ptrdiff_t>(index), entry);
    return true;
}

bool SimMachine::DestroyMenu(Hmenu menu) {
    Menu *m = FindMenu(menu);
    if (m == nullptr) return false;
    std::vector<Hmenu> subs;
    for (const MenuEntry &e : m->items)
        if (e.sub != nullptr) subs.push_back(e.sub);
    menus_.erase(menu);
    for (Hmenu sub : subs)
        DestroyMenu(sub);
    return true;
}

void SimMachine::SnapshotInto(const Menu &menu, std::vector<SimMenuItem> &items, int depth) const {
    for (const MenuEntry &e : menu.items) {
        SimMenuItem item;
        item.type = e.type;
        item.state = e.state;
        item.id = e.id;
        item.text = e.text;
        if (Menu *sub = FindMenu(e.sub)) {
            item.popup = true;
            if (depth < 16) SnapshotInto(*sub, item.items, depth + 1);
        }
        items.push_back(std::move(item));
    }
}

SimMenuSnapshot SimMachine::Snapshot(Hmenu menu) const {
    SimMenuSnapshot snapshot;
    if (Menu *m = FindMenu(menu)) SnapshotInto(*m, snapshot.items, 0);
    return snapshot;
}

bool SimMachine::TrackPopupMenuEx(Hmenu menu, Uint flags, int x, int y, Hwnd owner) {
    if (FindMenu(menu) == nullptr || Find(owner) == nullptr) return false;
    std::size_t index = trackedMenus.size();
    trackedMenus.push_back({menu, flags, x, y, owner, active_ == owner, Snapshot(menu), 0, 0});
    // The open menu is a top-level window of its own, which never takes activation.
    Hwnd popup = MakeWindow("#32768", "", WS_POPUP | WS_VISIBLE, WS_EX_TOPMOST | WS_EX_TOOLWINDOW,
                            {x, y, x + 160, y + 200}, nullptr, nullptr);
    PumpMessages();
    Uint choice = 0;
    if (menuChooser) {
        SimMenuChooser chooser = menuChooser;
        choice = chooser(*this, menu);
    } else if (!menuChoices_.empty()) {
        choice = menuChoices_.front();
        menuChoices_.pop_front();
    }
    DestroyWindow(popup);
    // Only an enabled command of the menu as shown can be chosen.
    if (choice != 0) {
        const SimMenuItem *item = trackedMenus[index].shown.FindCommand(choice);
        if (item == nullptr || (item->state & (MF_GRAYED | sim::MF_DISABLED))) {
            trackedMenus[index].refused = choice;
            choice = 0;
        }
    }
    trackedMenus[index].chosen = choice;
    if (flags & sim::TPM_RETURNCMD) return choice != 0;
    // WM_COMMAND carries the item's identifier in the low word of wParam (its documentation page
    // on learn.microsoft.com): a larger one arrives cut to 16 bits.
    if (choice != 0) PostMessageA(owner, WM_COMMAND, choice & 0xFFFF, 0);
    return true;
}

// ---- Dialogs ----

SimMachine::Window *SimMachine::FindControl(Hwnd dialog, int id) const {
    Window *d = Find(dialog);
    if (d == nullptr) return nullptr;
    for (Hwnd h : d->children) {
        Window *c = Find(h);
        if (c != nullptr && c->id == id) return c;
    }
    return nullptr;
}

// Dialog units to pixels for 8-point MS Sans Serif (base units 6 x 13).
static int DialogUnitsX(int units) {
    return units * 6 / 4;
}
static int DialogUnitsY(int units) {
    return units * 13 / 8;
}

std::intptr_t SimMachine::DialogBoxParamA(int resource, Hwnd owner, DialogHandler *handler) {
    const DialogTemplateData *t = DialogTemplate(resource);
    if (t == nullptr || handler == nullptr || (owner != nullptr && Find(owner) == nullptr)) return -1;

    auto dx = DialogUnitsX;
    auto dy = DialogUnitsY;
    const int width = dx(t->cx) + 6;
    const int height = dy(t->cy) + 25;
    const int left = (workArea.left + workArea.right - width) / 2;
    const int top = (workArea.top + workArea.bottom - height) / 2;

    DialogState state;
    state.handler = handler;
    Hwnd dialog = MakeWindow("#32770", t->caption != nullptr ? t->caption : "",
                             WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME, WS_EX_DLGMODALFRAME,
                             {left, top, left + width, top + height}, nullptr, owner);
    Find(dialog)->kind = Window::Kind::Dialog;
    Find(dialog)->dialog = &state;
    Hwnd focus = nullptr;
    for (int i = 0; i < t->controlCount; ++i) {
        const DialogControlTemplate &c = t->controls[i];
        const char *className = "Static";
        Window::Kind kind = Window::Kind::Label;
        std::uint32_t style = WS_CHILD | WS_VISIBLE;
        switch (c.kind) {
        case DialogControlKind::Icon:
            kind = Window::Kind::Icon;
            style |= SS_ICON;
            break;
        case DialogControlKind::Label:
            break;
        case DialogControlKind::Link:
            kind = Window::Kind::Link;
            style |= SS_NOTIFY;
            break;
        case DialogControlKind::Edit:
            className = "Edit";
            kind = Window::Kind::Edit;
            style |= WS_TABSTOP;
            break;
        case DialogControlKind::DefButton:
            className = "Button";
            kind = Window::Kind::Button;
            style |= WS_TABSTOP | BS_DEFPUSHBUTTON;
            break;
        case DialogControlKind::Button:
            className = "Button";
            kind = Window::Kind::Button;
            style |= WS_TABSTOP;
            break;
        case DialogControlKind::Check:
            className = "Button";
            kind = Window::Kind::Check;
            style |= WS_TABSTOP | BS_AUTOCHECKBOX;
            break;
        case DialogControlKind::List:
            className = "ListBox";
            kind = Window::Kind::List;
            style |= WS_TABSTOP;
            break;
        }
        Rect r = {left + dx(c.x), top + dy(c.y), left + dx(c.x + c.cx), top + dy(c.y + c.cy)};
        Hwnd control = MakeWindow(className, c.text != nullptr ? c.text : "", style, 0, r, dialog, nullptr);
        Find(control)->kind = kind;
        Find(control)->id = c.id;
        if (focus == nullptr && (style & WS_TABSTOP)) focus = control;
    }

    std::size_t run = dialogRuns.size();
    dialogRuns.push_back({resource, owner, dialog, "", -1, false});
    if (owner != nullptr && Find(owner)->enabled) {
        Find(owner)->enabled = false;
        state.disabledOwner = owner;
    }

    SendMessageA(dialog, WM_INITDIALOG, reinterpret_cast<Wparam>(focus), 0);
    if (Find(dialog) != nullptr && !state.ended) {
        dialogRuns[run].caption = WindowText(dialog);
        // Shown only once initialised.
        Find(dialog)->style |= WS_VISIBLE;
        Activate(dialog);
        PumpMessages();
        SimDialogScript script = defaultDialogScript;
        if (!dialogScripts_.empty()) {
            script = std::move(dialogScripts_.front());
            dialogScripts_.pop_front();
        }
        if (script && Find(dialog) != nullptr && !state.ended) script(*this, dialog);
        PumpMessages();
        if (Find(dialog) != nullptr && !state.ended) {
            dialogRuns[run].cancelledByMachine = true;
            SendMessageA(dialog, WM_COMMAND, CommandWparam(IDCANCEL, BN_CLICKED),
                         reinterpret_cast<Lparam>(GetDlgItem(dialog, IDCANCEL)));
        }
    } else if (Find(dialog) != nullptr) {
        dialogRuns[run].caption = WindowText(dialog);
    }

    if (Window *o = Find(state.disabledOwner)) o->enabled = true;
    if (Find(dialog) != nullptr) DestroyWindow(dialog);
    const std::intptr_t result = state.ended ? state.result : -1;
    dialogRuns[run].result = result;
    return result;
}

bool SimMachine::EndDialog(Hwnd dialog, std::intptr_t result) {
    Window *d = Find(dialog);
    if (d == nullptr || d->kind != Window::Kind::Dialog || d->dialog == nullptr) return false;
    if (!d->dialog->ended) {
        d->dialog->ended = true;
        d->dialog->result = result;
    }
    if (Window *o = Find(d->dialog->disabledOwner)) o->enabled = true;
    d->dialog->disabledOwner = nullptr;
    // Hidden at once, the owner taking activation back; destroyed when the modal loop returns.
    d->style &= ~WS_VISIBLE;
    if (active_ == dialog) ActivateNext(dialog);
    return true;
}

Hwnd SimMachine::GetDlgItem(Hwnd dialog, int id) {
    Window *c = FindControl(dialog, id);
    return c != nullptr ? c->handle : nullptr;
}

Lresult SimMachine::ControlMessage(Window &w, Uint message, Wparam wParam, Lparam lParam) {
    using Kind = Window::Kind;
    switch (message) {
    case WM_SETTEXT:
        w.title = lParam != 0 ? reinterpret_cast<const char *>(lParam) : "";
        return 1;
    case sim::WM_GETTEXT:
        return CopyText(w.title, reinterpret_cast<char *>(lParam), static_cast<int>(wParam));
    case sim::WM_GETTEXTLENGTH:
        return static_cast<Lresult>(w.title.size());
    case EM_LIMITTEXT:
        if (w.kind == Kind::Edit) w.limit = wParam != 0 ? wParam : DefaultEditLimit;
        return 0;
    case BM_GETCHECK:
        return w.kind == Kind::Check && w.checked ? BST_CHECKED : BST_UNCHECKED;
    case BM_SETCHECK:
        if (w.kind == Kind::Check) w.checked = wParam != BST_UNCHECKED;
        return 0;
    case STM_SETIMAGE: {
        if ((w.kind != Kind::Icon && w.kind != Kind::Label) || wParam != IMAGE_ICON) return 0;
        Hicon previous = w.image;
        w.image = reinterpret_cast<Hicon>(lParam);
        return reinterpret_cast<Lresult>(previous);
    }
    case sim::STM_GETIMAGE:
        return reinterpret_cast<Lresult>(w.image);
    case sim::WM_SETFONT:
        w.font = reinterpret_cast<Hfont>(wParam);
        return 0;
    default:
        break;
    }
    if (w.kind != Kind::List) return 0;
    const auto count = static_cast<Lresult>(w.items.size());
    const auto index = static_cast<Lresult>(wParam);
    switch (message) {
    case LB_ADDSTRING:
        w.items.push_back(lParam != 0 ? reinterpret_cast<const char *>(lParam) : "");
        return count;
    case LB_SETCURSEL:
        if (index < 0 || index >= count) {
            if (wParam == static_cast<Wparam>(-1)) w.selection = -1;
            return LB_ERR;
        }
        w.selection = static_cast<int>(index);
        return index;
    case LB_GETCURSEL:
        return w.selection;
    case sim::LB_GETCOUNT:
        return count;
    case sim::LB_GETTEXT:
    case sim::LB_GETTEXTLEN: {
        if (index < 0 || index >= count) return LB_ERR;
        const std::string &text = w.items[static_cast<std::size_t>(index)];
        if (message == sim::LB_GETTEXT && lParam != 0)
            std::memcpy(reinterpret_cast<char *>(lParam), text.c_str(), text.size() + 1);
        return static_cast<Lresult>(text.size());
    }
    case LB_SETCOLUMNWIDTH:
        w.columnWidth = static_cast<int>(wParam);
        return 0;
    default:
        return 0;
    }
}

// A control the user can reach: in an open dialog that is not disabled (by a message box).
SimMachine::Window *SimMachine::UsableControl(Hwnd dialog, int id) const {
    Window *d = Find(dialog);
    if (d == nullptr || d->kind != Window::Kind::Dialog || d->dialog == nullptr || d->dialog->ended ||
        !d->enabled)
        return nullptr;
    Window *c = FindControl(dialog, id);
    if (c == nullptr || !c->enabled || !c->Visible()) return nullptr;
    return c;
}

bool SimMachine::Click(Hwnd dialog, int id) {
    Window *c = UsableControl(dialog, id);
    if (c == nullptr) return false;
    if (c->kind != Window::Kind::Button && c->kind != Window::Kind::Check && c->kind != Window::Kind::Link)
        return false;
    if (c->kind == Window::Kind::Check) c->checked = !c->checked;
    SendMessageA(dialog, WM_COMMAND, CommandWparam(id, BN_CLICKED), reinterpret_cast<Lparam>(c->handle));
    return true;
}

bool SimMachine::Type(Hwnd dialog, int id, const std::string &text) {
    Window *c = UsableControl(dialog, id);
    if (c == nullptr || c->kind != Window::Kind::Edit) return false;
    const bool fits = text.size() <= c->limit;
    c->title = text.substr(0, c->limit);
    SendMessageA(dialog, WM_COMMAND, CommandWparam(id, sim::EN_CHANGE), reinterpret_cast<Lparam>(c->handle));
    return fits;
}

bool SimMachine::SelectListItem(Hwnd dialog, int id, int index) {
    Window *c = UsableControl(dialog, id);
    if (c == nullptr || c->kind != Window::Kind::List || index < 0 ||
        static_cast<std::size_t>(index) >= c->items.size())
        return false;
    c->selection = index;
    return true;
}

bool SimMachine::CloseDialog(Hwnd dialog) {
    Window *d = Find(dialog);
    if (d == nullptr || d->kind != Window::Kind::Dialog || d->dialog == nullptr || d->dialog->ended ||
        !d->enabled)
        return false;
    SendMessageA(dialog, WM_CLOSE, 0, 0);
    return true;
}

std::string SimMachine::ControlText(Hwnd dialog, int id) const {
    Window *c = FindControl(dialog, id);
    return c != nullptr ? c->title : std::string();
}

bool SimMachine::IsChecked(Hwnd dialog, int id) const {
    Window *c = FindControl(dialog, id);
    return c != nullptr && c->checked;
}

std::vector<std::string> SimMachine::ListItems(Hwnd dialog, int id) const {
    Window *c = FindControl(dialog, id);
    return c != nullptr ? c->items : std::vector<std::string>();
}

int SimMachine::ListSelection(Hwnd dialog, int id) const {
    Window *c = FindControl(dialog, id);
    return c != nullptr ? c->selection : -1;
}

int SimMachine::ListColumnWidth(Hwnd dialog, int id) const {
    Window *c = FindControl(dialog, id);
    return c != nullptr ? c->columnWidth : 0;
}

Hicon SimMachine::ControlImage(Hwnd dialog, int id) const {
    Window *c = FindControl(dialog, id);
    return c != nullptr ? c->image : nullptr;
}

std::size_t SimMachine::TextLimit(Hwnd dialog, int id) const {
    Window *c = FindControl(dialog, id);
    return c != nullptr ? c->limit : 0;
}

// ---- System information ----

// As the system: the whole text or nothing; too small a buffer gets the size it would need.
static Uint CopyDirectory(const std::string &directory, char *buffer, Uint size) {
    if (buffer == nullptr || directory.size() >= size) return static_cast<Uint>(directory.size() + 1);
    std::memcpy(buffer, directory.c_str(), directory.size() + 1);
    return static_cast<Uint>(directory.size());
}

Uint SimMachine::GetWindowsDirectoryA(char *buffer, Uint size) {
    return CopyDirectory(windowsDirectory, buffer, size);
}

Uint SimMachine::GetSystemDirectoryA(char *buffer, Uint size) {
    return CopyDirectory(systemDirectory, buffer, size);
}

// ---- Fonts, cursors, subclassing, the shell ----

bool SimMachine::MapDialogRect(Hwnd dialog, Rect *rect) {
    Window *d = Find(dialog);
    if (d == nullptr || d->kind != Window::Kind::Dialog || rect == nullptr) return false;
    *rect = Rect{DialogUnitsX(rect->left), DialogUnitsY(rect->top), DialogUnitsX(rect->right),
                 DialogUnitsY(rect->bottom)};
    return true;
}

std::intptr_t SimMachine::SubclassWindow(Hwnd window, WindowHandler *handler) {
    Window *w = Find(window);
    if (w == nullptr || handler == nullptr) return 0;
    std::intptr_t previous =
        w->subclass != nullptr ? reinterpret_cast<std::intptr_t>(w->subclass) : OwnProcedure;
    w->subclass = handler;
    return previous;
}

Lresult SimMachine::CallWindowProcA(std::intptr_t procedure, Hwnd window, Uint message, Wparam wParam,
                                    Lparam lParam) {
    if (procedure == OwnProcedure) return DeliverToOwnProcedure(window, message, wParam, lParam);
    if (procedure == 0) return 0;
    return reinterpret_cast<WindowHandler *>(procedure)->WindowMessage(window, message, wParam, lParam);
}

Hcursor SimMachine::SetCursor(Hcursor cursor) {
    Hcursor previous = cursorShape_;
    cursorShape_ = cursor;
    return previous;
}

Hwnd SimMachine::CreateWindowExA(Dword exStyle, const char *className, const char *title, Dword style, int x,
                                 int y, int width, int height, Hwnd parent, int id) {
    if (parent == nullptr && !(style & WS_CHILD)) {
        // A top-level window of a registered class: its procedure sees WM_CREATE first.
        auto found = classes_.find(className != nullptr ? className : "");
        if (found == classes_.end()) return nullptr;
        Hwnd window = CreateWindow(found->first, title != nullptr ? title : "", style, exStyle,
                                   Rect{x, y, x + width, y + height});
        SetWindowProc(window, found->second);
        SendMessageA(window, WM_CREATE, 0, 0);
        return window;
    }
    Window *p = Find(parent);
    if (p == nullptr || !(style & WS_CHILD)) return nullptr;
    const Rect r = {p->current.left + x, p->current.top + y, p->current.left + x + width,
                    p->current.top + y + height};
    Hwnd child = MakeWindow(className != nullptr ? className : "", title != nullptr ? title : "", style,
                            exStyle, r, parent, nullptr);
    Find(child)->id = id;
    return child;
}

std::intptr_t SimMachine::ShellExecuteA(Hwnd owner, const char *operation, const char *file, const char *,
                                        const char *, int show) {
    shellExecutes.push_back(
        {owner, operation != nullptr ? operation : "", file != nullptr ? file : "", show});
    return shellExecuteResult;
}

Hcursor SimMachine::LoadCursorA(int id) {
    if (std::find(std::begin(CursorResources), std::end(CursorResources), id) == std::end(CursorResources))
        return nullptr;
    return reinterpret_cast<Hcursor>(CursorBase + 4 * static_cast<std::uintptr_t>(id));
}

int SimMachine::CursorId(Hcursor cursor) {
    auto value = reinterpret_cast<std::uintptr_t>(cursor);
    if (value < CursorBase || value >= CursorBase + 4 * 0x10000 || value % 4 != 0) return -1;
    return static_cast<int>((value - CursorBase) / 4);
}

Hfont SimMachine::CreateFontA(int height, int weight, const char *face) {
    Hfont font = reinterpret_cast<Hfont>(FontBase + 4 * ++nextFont_);
    fonts_[font] = SimFont{height, weight, face != nullptr ? face : ""};
    return font;
}

bool SimMachine::DeleteObject(Hfont font) {
    return fonts_.erase(font) != 0;
}

const SimFont *SimMachine::Font(Hfont font) const {
    auto it = fonts_.find(font);
    return it != fonts_.end() ? &it->second : nullptr;
}

Hfont SimMachine::ControlFont(Hwnd dialog, int id) const {
    Window *c = FindControl(dialog, id);
    return c != nullptr ? c->font : nullptr;
}

// ---- Frames, system menus and toolbars ----

// The monitor that shows most of `rect`, or else the one nearest to it; workArea without monitors.
Rect SimMachine::WorkAreaAt(const Rect &rect) {
    const Monitor *best = nullptr;
    std::int64_t bestShown = -1;
    std::int64_t bestGap = 0;
    for (const Monitor &m : monitors) {
        const std::int64_t w = std::min(rect.right, m.area.right) - std::max(rect.left, m.area.left);
        const std::int64_t h = std::min(rect.bottom, m.area.bottom) - std::max(rect.top, m.area.top);
        const std::int64_t shown = w > 0 && h > 0 ? w * h : 0;
        const std::int64_t gap = std::max<std::int64_t>(0, -w) + std::max<std::int64_t>(0, -h);
        if (shown > bestShown || (shown == 0 && bestShown == 0 && gap < bestGap)) {
            best = &m;
            bestShown = shown;
            bestGap = gap;
        }
    }
    return best != nullptr ? best->work : workArea;
}

int SimMachine::GetSystemMetrics(int index) {
    Rect virtualScreen{0, 0, 0, 0};
    for (const Monitor &m : monitors) {
        virtualScreen.left = std::min(virtualScreen.left, m.area.left);
        virtualScreen.top = std::min(virtualScreen.top, m.area.top);
        virtualScreen.right = std::max(virtualScreen.right, m.area.right);
        virtualScreen.bottom = std::max(virtualScreen.bottom, m.area.bottom);
    }
    switch (index) {
    case SM_XVIRTUALSCREEN:
        return virtualScreen.left;
    case SM_YVIRTUALSCREEN:
        return virtualScreen.top;
    case SM_CXVIRTUALSCREEN:
        return virtualScreen.right - virtualScreen.left;
    case SM_CYVIRTUALSCREEN:
        return virtualScreen.bottom - virtualScreen.top;
    case SM_CXFRAME:
    case SM_CYFRAME:
        return sim::FrameWidth;
    case SM_CYSMCAPTION:
        return sim::SmallCaptionHeight;
    default:
        return 0;
    }
}

bool SimMachine::AdjustWindowRectEx(Rect *rect, std::uint32_t style, bool menu, std::uint32_t exStyle) {
    if (rect == nullptr) return false;
    if (style & WS_THICKFRAME) {
        rect->left -= sim::FrameWidth;
        rect->right += sim::FrameWidth;
        rect->top -= sim::FrameWidth;
        rect->bottom += sim::FrameWidth;
    }
    if ((style & WS_CAPTION) == WS_CAPTION)
        rect->top -= (exStyle & WS_EX_TOOLWINDOW) ? sim::SmallCaptionHeight : sim::CaptionHeight;
    if (menu) rect->top -= sim::CaptionHeight;
    return true;
}

Hwnd SimMachine::GetDesktopWindow() {
    // Made on first use and kept out of the stacking order, as the walk never reports it.
    if (desktop_ == nullptr) {
        desktop_ = reinterpret_cast<Hwnd>(WindowBase - 4);
        auto w = std::make_unique<Window>();
        w->handle = desktop_;
        w->className = "#32769";
        w->style = WS_VISIBLE;
        w->normal = w->current = {0, 0, sim::ScreenWidth, sim::ScreenHeight};
        windows_[desktop_] = std::move(w);
    }
    return desktop_;
}

bool SimMachine::InvalidateRect(Hwnd window, const Rect *, bool) {
    return Find(window) != nullptr;
}

Point SimMachine::ClientSize(Hwnd window) const {
    Window *w = Find(window);
    if (w == nullptr) return {0, 0};
    Rect frame{0, 0, 0, 0};
    const_cast<SimMachine *>(this)->AdjustWindowRectEx(&frame, w->style, false, w->exStyle);
    return {w->current.right - w->current.left - (frame.right - frame.left),
            w->current.bottom - w->current.top - (frame.bottom - frame.top)};
}

Hwnd SimMachine::Parent(Hwnd window) const {
    Window *w = Find(window);
    return w != nullptr ? w->parent : nullptr;
}

Hmenu SimMachine::GetSystemMenu(Hwnd window, bool revert) {
    Window *w = Find(window);
    if (w == nullptr || revert) return nullptr;
    if (w->systemMenu == nullptr || FindMenu(w->systemMenu) == nullptr) {
        // What a captioned, sizeable window without minimise or maximise box gets.
        Hmenu menu = MakeMenu();
        AppendMenuA(menu, MF_STRING, sim::SC_MOVE, "&Move");
        AppendMenuA(menu, MF_STRING, sim::SC_SIZE, "&Size");
        AppendMenuA(menu, MF_SEPARATOR, 0, nullptr);
        AppendMenuA(menu, MF_STRING, SC_CLOSE, "&Close\tAlt+F4");
        w = Find(window);
        w->systemMenu = menu;
    }
    return w->systemMenu;
}

Hmenu SimMachine::SystemMenu(Hwnd window) const {
    Window *w = Find(window);
    return w != nullptr ? w->systemMenu : nullptr;
}

bool SimMachine::DeleteMenu(Hmenu menu, Uint item, Uint flags) {
    Hmenu owner = nullptr;
    std::size_t index = 0;
    if (!Locate(menu, item, (flags & MF_BYPOSITION) != 0, owner, index)) return false;
    auto &items = FindMenu(owner)->items;
    Hmenu sub = items[index].sub;
    items.erase(items.begin() + static_cast<std::ptrdiff_t>(index));
    if (sub != nullptr) DestroyMenu(sub);
    return true;
}

Hwnd SimMachine::CreateToolbarEx(Hwnd parent, std::uint32_t style, Uint id, int, int,
                                 const ToolbarButton *buttons, int count, int dxButton, int dyButton, int,
                                 int) {
    // The Win32 layer's limit (ToolbarPort), so that a toolbar too large for it fails here too.
    if (Find(parent) == nullptr || buttons == nullptr || count < 0 || count > MaxToolbarButtons)
        return nullptr;
    Hwnd handle = MakeWindow("ToolbarWindow32", "", style | WS_CHILD, 0, Rect{0, 0, 0, 0}, parent, nullptr);
    Window &w = *Find(handle);
    w.kind = Window::Kind::Toolbar;
    w.id = static_cast<int>(id);
    w.buttons.assign(buttons, buttons + count);
    // A button is its face with the raised edge around it.
    w.buttonWidth = dxButton + 7;
    w.buttonHeight = dyButton + 6;
    ToolbarMessage(w, TB_AUTOSIZE, 0, 0);
    return handle;
}

namespace {

// Where each button stands when the visible ones wrap to `width`; hidden ones get an empty rect.
std::vector<Rect> ToolbarLayout(const std::vector<ToolbarButton> &buttons, int width, int bw, int bh) {
    std::vector<Rect> rects;
    int x = 0;
    int y = 0;
    for (const ToolbarButton &b : buttons) {
        if (b.fsState & TBSTATE_HIDDEN) {
            rects.push_back({0, 0, 0, 0});
            continue;
        }
        if (x > 0 && x + bw > width) {
            x = 0;
            y += bh;
        }
        rects.push_back({x, y, x + bw, y + bh});
        x += bw;
    }
    return rects;
}

} // namespace

Lresult SimMachine::ToolbarMessage(Window &w, Uint message, Wparam wParam, Lparam lParam) {
    const int width = w.current.right - w.current.left;
    auto byCommand = [&](Wparam command) -> ToolbarButton * {
        for (ToolbarButton &b : w.buttons)
            if (b.idCommand == static_cast<int>(command)) return &b;
        return nullptr;
    };
    switch (message) {
    case TB_AUTOSIZE: {
        // CCS_TOP: as wide as the parent's client area, as high as its rows.
        const Point client = ClientSize(w.parent);
        std::vector<Rect> rects = ToolbarLayout(w.buttons, client.x, w.buttonWidth, w.buttonHeight);
        int bottom = 0;
        for (const Rect &r : rects)
            bottom = std::max(bottom, static_cast<int>(r.bottom));
        w.current = w.normal = {0, 0, client.x, bottom};
        return 0;
    }
    case TB_GETITEMRECT: {
        std::vector<Rect> rects = ToolbarLayout(w.buttons, width, w.buttonWidth, w.buttonHeight);
        if (wParam >= rects.size() || lParam == 0) return 0;
        *reinterpret_cast<Rect *>(lParam) = rects[wParam];
        return (w.buttons[wParam].fsState & TBSTATE_HIDDEN) ? 0 : 1;
    }
    case TB_GETBUTTONSIZE:
        return static_cast<Lresult>((static_cast<std::uint32_t>(w.buttonHeight) << 16) |
                                    static_cast<std::uint32_t>(w.buttonWidth));
    case TB_GETROWS: {
        int rows = 0;
        int lastTop = -1;
        for (const Rect &r : ToolbarLayout(w.buttons, width, w.buttonWidth, w.buttonHeight))
            if (r.bottom > r.top && r.top != lastTop) {
                ++rows;
                lastTop = r.top;
            }
        return rows;
    }
    case TB_CHECKBUTTON:
    case TB_HIDEBUTTON: {
        ToolbarButton *b = byCommand(wParam);
        if (b == nullptr) return 0;
        const std::uint8_t bit = message == TB_CHECKBUTTON ? TBSTATE_CHECKED : TBSTATE_HIDDEN;
        if (LoWord(static_cast<std::uintptr_t>(lParam)) != 0)
            b->fsState |= bit;
        else
            b->fsState &= static_cast<std::uint8_t>(~bit);
        return 1;
    }
    case TB_ISBUTTONCHECKED:
    case TB_ISBUTTONHIDDEN: {
        ToolbarButton *b = byCommand(wParam);
        if (b == nullptr) return -1;
        return b->fsState & (message == TB_ISBUTTONCHECKED ? TBSTATE_CHECKED : TBSTATE_HIDDEN);
    }
    default:
        return 0;
    }
}

int SimMachine::ToolbarRows(Hwnd toolbar) const {
    Window *w = Find(toolbar);
    if (w == nullptr || w->kind != Window::Kind::Toolbar) return -1;
    return static_cast<int>(const_cast<SimMachine *>(this)->ToolbarMessage(*w, TB_GETROWS, 0, 0));
}

bool SimMachine::ToolbarButtonChecked(Hwnd toolbar, int id) const {
    Window *w = Find(toolbar);
    return w != nullptr && w->kind == Window::Kind::Toolbar &&
           const_cast<SimMachine *>(this)->ToolbarMessage(*w, TB_ISBUTTONCHECKED, static_cast<Wparam>(id),
                                                          0) > 0;
}

bool SimMachine::ToolbarButtonHidden(Hwnd toolbar, int id) const {
    Window *w = Find(toolbar);
    return w != nullptr && w->kind == Window::Kind::Toolbar &&
           const_cast<SimMachine *>(this)->ToolbarMessage(*w, TB_ISBUTTONHIDDEN, static_cast<Wparam>(id), 0) >
               0;
}

} // namespace q
