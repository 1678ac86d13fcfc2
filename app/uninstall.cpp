#include "app/uninstall.h"

#include <cstring>

#include "config/settings.h"
#include "engine/names.h"
#include "ui/texts.h"

namespace q {

namespace {

constexpr char RunKey[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run";
constexpr char RemovalKey[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Quillane";
constexpr char AutostartValue[] = "Quillane";
constexpr char ValueUninstallString[] = "UninstallString";
constexpr char ValueDisplayName[] = "DisplayName";
constexpr char RemovalPending[] = Q_TEXT_TITLE " - uninstall not complete";

constexpr char SetupCall95[] = "\\rundll.exe setupx.dll,InstallHinfSection DefaultUninstall 4 ";
constexpr char SetupCallNT[] = "\\rundll32.exe syssetup.dll,SetupInfObjectInstallAction DefaultUninstall 4 ";

// Takes whole pieces only. Once a piece is missing or does not fit in the room left, the line
// is spoilt and stays empty.
class LineBuilder {
  public:
    explicit LineBuilder(char (&line)[SecondPhaseLineSize]) : line_(line) { line_[0] = '\0'; }

    void Append(const char *piece, int length) {
        if (!whole_ || length <= 0 || length >= Room()) {
            whole_ = false;
            return;
        }
        std::memcpy(line_ + length_, piece, static_cast<std::size_t>(length));
        length_ += length;
        line_[length_] = '\0';
    }
    void Append(const char *text) { Append(text, static_cast<int>(std::strlen(text))); }

    // A directory call given only the room left; it answers the size it needs when that is short.
    template <typename Call> void AppendDirectory(Call call) {
        if (!whole_) return;
        Uint length = call(line_ + length_, static_cast<Uint>(Room()));
        if (length == 0 || length >= static_cast<Uint>(Room())) {
            whole_ = false;
            return;
        }
        length_ += static_cast<int>(length);
        line_[length_] = '\0';
    }

    int Finish() {
        if (!whole_) {
            line_[0] = '\0';
            length_ = 0;
        }
        return length_;
    }

  private:
    int Room() const { return SecondPhaseLineSize - length_; }

    char (&line_)[SecondPhaseLineSize];
    int length_ = 0;
    bool whole_ = true;
};

// A string resource loaded whole: one that fills the buffer may have been cut, and counts as missing.
int LoadWhole(AppState &app, Uint id, char (&text)[SecondPhaseLineSize]) {
    text[0] = '\0';
    int length = app.Sys->resource.LoadStringA(id, text, SecondPhaseLineSize);
    return length > 0 && length < SecondPhaseLineSize - 1 ? length : 0;
}

void DeleteSettings(RegistryPort &reg) {
    Hkey key = nullptr;
    if (reg.RegOpenKeyExA(HkeyCurrentUser(), names::SettingsKeyUpper, KEY_ALL_ACCESS, &key) ==
        ERROR_SUCCESS) {
        // Every one there can be, whatever the number of desktops: older runs may have left more.
        for (int n = 1; n <= MaxDesktops; ++n) {
            char subkey[DesktopKeyNameSize];
            DesktopKeyName(n, subkey);
            reg.RegDeleteKeyA(key, subkey);
        }
        reg.RegCloseKey(key);
    }
    // The parent "SOFTWARE\Halvern" stays: it is not ours alone.
    reg.RegDeleteKeyA(HkeyCurrentUser(), names::SettingsKeyUpper);
}

void DeleteAutostart(RegistryPort &reg) {
    Hkey key = nullptr;
    if (reg.RegOpenKeyExA(HkeyLocalMachine(), RunKey, KEY_ALL_ACCESS, &key) != ERROR_SUCCESS) return;
    reg.RegDeleteValueA(key, AutostartValue);
    reg.RegCloseKey(key);
}

void RewriteRemovalEntry(AppState &app) {
    RegistryPort &reg = app.Sys->registry;
    Hkey key = nullptr;
    const bool opened =
        reg.RegOpenKeyExA(HkeyLocalMachine(), RemovalKey, KEY_ALL_ACCESS, &key) == ERROR_SUCCESS;
    char line[SecondPhaseLineSize];
    int length = SecondPhaseLine(app, IsWindows95Family(app), line);
    if (!opened) return;
    // Without a whole line the installed command stays: it runs this first phase again, which
    // harms nothing, where a cut one could run anything.
    if (length > 0) reg.RegSetValueExA(key, ValueUninstallString, REG_SZ, line, static_cast<Dword>(length));
    reg.RegSetValueExA(key, ValueDisplayName, REG_SZ, RemovalPending, sizeof RemovalPending - 1);
    reg.RegCloseKey(key);
}

} // namespace

bool IsWindows95Family(AppState &app) {
    return (app.Sys->resource.GetVersion() & 0x80000000u) != 0;
}

int SecondPhaseLine(AppState &app, bool windows95, char (&line)[SecondPhaseLineSize]) {
    ResourcePort &res = app.Sys->resource;
    auto windowsDirectory = [&res](char *buffer, Uint size) {
        return res.GetWindowsDirectoryA(buffer, size);
    };
    auto systemDirectory = [&res](char *buffer, Uint size) { return res.GetSystemDirectoryA(buffer, size); };

    LineBuilder builder(line);
    // rundll.exe lives in the Windows directory on the 95 family, rundll32.exe in the system one on NT.
    if (windows95) {
        builder.AppendDirectory(windowsDirectory);
        builder.Append(SetupCall95);
    } else {
        builder.AppendDirectory(systemDirectory);
        builder.Append(SetupCallNT);
    }
    builder.AppendDirectory(systemDirectory);
    builder.Append("\\");
    char piece[SecondPhaseLineSize];
    builder.Append(piece, LoadWhole(app, Q_IDS_SHELLEXT, piece));
    // "\quillane.exe" names the installation file once its "exe" is "inf".
    int length = LoadWhole(app, Q_IDS_EXE_NAME, piece);
    if (length >= 3) std::memcpy(piece + length - 3, "inf", 3);
    builder.Append(piece, length >= 3 ? length : 0);
    return builder.Finish();
}

int RunUninstall(AppState &app) {
    RegistryPort &reg = app.Sys->registry;
    DeleteSettings(reg);
    DeleteAutostart(reg);
    RewriteRemovalEntry(app);

    char text[SecondPhaseLineSize];
    LoadText(app, Q_IDS_UNINSTALL_FIRST_PART, text, sizeof text);
    app.Sys->message.MessageBoxA(nullptr, text, names::WindowTitle, MB_OK);
    return 0;
}

} // namespace q
