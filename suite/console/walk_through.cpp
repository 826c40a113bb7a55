#include "suite/console/walk_through.h"

#include <windows.h>

#include <commctrl.h>

#include <vector>

#include "lang/resource.h"
#include "win/qzinstall_abi.h"
#include "win/raii.h"
#include "suite/console/com_apartment.h"
#include "suite/console/console_output.h"
#include "suite/console/editor_session.h"
#include "suite/console/hidden_console.h"
#include "suite/console/inspector_run.h"
#include "suite/console/settings_folder.h"
#include "suite/console/settings_transfer.h"

namespace {

constexpr int kFailed = 1;
const wchar_t kCategoryName[] = L"Walk-through";
const wchar_t kCategoryDescription[] = L"Added by VtOptions --walk-through";
const wchar_t kItemRoot[] = L"HKEY_CURRENT_USER";
// Only the key's first level must exist: HKEY_CURRENT_USER\Software does.
const wchar_t kItemKeyPath[] = L"Software\\Veltrane\\Walk-through";
const wchar_t kItemName[] = L"Walk-through key";
const wchar_t* const kUserFiles[] = {L"QRegUser.rdb", L"RegUser.ini", L"QRegEx.ini"};

std::wstring Number(long value) { return std::to_wstring(value); }

std::wstring Hex4(unsigned value) {
    wchar_t text[8];
    swprintf(text, 8, L"%04X", value);
    return text;
}

bool Exists(const std::wstring& path) { return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

// The suite's language as its installer library answers it (the plug-in
// asks the same library); 0 when it has none or cannot be asked.
LANGID SuiteLanguage() {
    UniqueModule library(
        LoadLibraryExW(BesideConsole(L"QZInstall.dll").c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH));
    if (!library) return 0;
    auto languageId = reinterpret_cast<QzGetLanguageIdFn>(GetProcAddress(library.get(), MAKEINTRESOURCEA(15)));
    return languageId ? languageId() : 0;
}

// The number right before `word` in `text` ("12" of "12 categories"), or -1.
long CountBefore(const std::wstring& text, const wchar_t* word) {
    const size_t at = text.find(word);
    if (at == std::wstring::npos) return -1;
    size_t begin = at;
    while (begin > 0 && text[begin - 1] >= L'0' && text[begin - 1] <= L'9') --begin;
    if (begin == at) return -1;
    long count = 0;
    for (size_t i = begin; i < at; ++i) count = count * 10 + (text[i] - L'0');
    return count;
}

// What the inspector's verify says a file holds ("category database, 12
// categories, 73 items"); empty, with the reason, when it found it unsound.
std::wstring VerifiedContents(const std::wstring& path, std::wstring& error) {
    const InspectorRun run = RunInspector(L"verify " + Quoted(path));
    if (!run.started || !run.error.empty()) {
        error = run.error;
        return std::wstring();
    }
    if (run.exitCode != 0 || run.lines.empty()) {
        error = L"VtPsInspect verify found " + path + L" unsound" +
                (run.lines.empty() ? std::wstring() : L": " + run.lines.back());
        return std::wstring();
    }
    const std::wstring& first = run.lines.front();
    const std::wstring prefix = path + L": ";
    return first.compare(0, prefix.size(), prefix) == 0 ? first.substr(prefix.size()) : first;
}

class WalkThrough {
public:
    WalkThrough(const std::wstring& pluginPath, const std::wstring& exportFile)
        : pluginPath_(pluginPath), exportFile_(exportFile) {}
    int Run();

private:
    bool Begin();
    bool ShowLoadedStore();
    bool EditInExpertEditor();
    bool Apply();
    bool Export();
    bool ImportIntoFreshProfile();
    bool End();

    void ReadStore(HWND editor, DialogScript& script);
    void AddCategory(HWND editor, DialogScript& script);
    void AddItem(HWND editor, DialogScript& script);
    void FindCategoryAfterImport(HWND editor, DialogScript& script);
    bool Failed(const std::wstring& why) {
        PrintErrorLine(L"walk-through: " + why);
        return false;
    }

    std::wstring pluginPath_, exportFile_;
    SettingsFolder folder_;
    HiddenConsole console_;
    long shippedCategories_ = -1, shippedItems_ = -1, libraryRules_ = -1;
    DWORD exported_ = 0;
};

int WalkThrough::Run() {
    if (!Begin()) return kFailed;
    const bool done = ShowLoadedStore() && EditInExpertEditor() && Apply() && Export() && ImportIntoFreshProfile();
    console_.Close();
    const bool ended = End();
    return done && ended ? 0 : kFailed;
}

bool WalkThrough::Begin() {
    std::wstring problem;
    if (!folder_.PutAside(problem)) return Failed(problem);
    PrintLine(L"Walk-through of the registry protection's settings, from a fresh profile");
    PrintLine(L"settings folder " + folder_.Path() +
              (folder_.HadUserSettings() ? L": yours put aside as " + folder_.AsidePath() + L" until the end"
                                         : L": none yet"));
    return true;
}

bool WalkThrough::ShowLoadedStore() {
    std::wstring error;
    if (!console_.Open(pluginPath_, error) || !console_.CreatePageWindow(error)) return Failed(error);
    PrintLine(L"1. Loaded: the console created the plug-in's page in its hidden options window (CreatePage loads)");
    const LANGID language = SuiteLanguage();
    PrintLine(L"   language " + (language ? Hex4(language) : std::wstring(L"none")) +
              L" (QZInstall.dll beside the console), page title \"" + PluginTitle(console_.Option()) + L"\"");
    const std::wstring data = BesideConsole(L"AntiVirus\\Data\\");
    const std::wstring shipped = L"QRegEx" + Hex4(language) + L".rdb";
    const std::wstring shippedContents = VerifiedContents(data + shipped, error);
    if (shippedContents.empty()) return Failed(error);
    const std::wstring libraryContents = VerifiedContents(data + L"RegLib.rdb", error);
    if (libraryContents.empty()) return Failed(error);
    shippedCategories_ = CountBefore(shippedContents, L" categor");
    shippedItems_ = CountBefore(shippedContents, L" item");
    libraryRules_ = CountBefore(libraryContents, L" rule");
    PrintLine(L"   shipped library " + shipped + L": " + shippedContents + L" (VtPsInspect verify)");
    PrintLine(L"   rule library RegLib.rdb: " + libraryContents + L" (VtPsInspect verify)");
    std::wstring present;
    for (const wchar_t* name : kUserFiles)
        if (Exists(folder_.File(name))) present += std::wstring(present.empty() ? L"" : L", ") + name;
    PrintLine(L"   the user's QRegUser.rdb, RegUser.ini, QRegEx.ini: " +
              (present.empty() ? std::wstring(L"none (a fresh profile)") : L"present: " + present));
    return true;
}

void WalkThrough::ReadStore(HWND editor, DialogScript& script) {
    HWND categories = GetDlgItem(editor, IDC_EXPERT_CATEGORY_LIST);
    HWND items = GetDlgItem(editor, IDC_EXPERT_ITEM_LIST);
    const int rows = RowCount(categories);
    if (rows == 0) return script.Fail(L"the expert editor lists no category");
    // Down the category list with the keyboard: each row's items as the editor lists them.
    std::vector<int> itemRows;
    SetFocus(categories);
    for (int row = 0; row < rows; ++row) {
        PressKey(categories, row == 0 ? VK_HOME : VK_DOWN);
        if (SelectedRow(categories) != row)
            return script.Fail(L"the arrow keys did not select category row " + Number(row + 1));
        itemRows.push_back(RowCount(items));
    }
    long total = 0;
    for (int count : itemRows) total += count;
    const long shippedRows = total - itemRows.back();
    PrintLine(L"   expert rule editor (the page's button " + Number(IDC_EXPERT_RULES) + L"): " + Number(rows) +
              L" categories, " + Number(total) + L" items");
    const bool asShipped = rows - 1 == shippedCategories_ && shippedRows == shippedItems_;
    PrintLine(L"     rows 1-" + Number(rows - 1) + L": " + Number(shippedRows) + L" items" +
              (asShipped ? L", the shipped library's categories and items" : L""));
    PrintLine(L"     row " + Number(rows) + L", \"" + CellText(categories, rows - 1, 0) + L"\": " +
              Number(itemRows.back()) + L" items" + (itemRows.back() == libraryRules_ ? L", RegLib.rdb's rules" : L""));
}

void WalkThrough::AddCategory(HWND editor, DialogScript& script) {
    HWND categories = GetDlgItem(editor, IDC_EXPERT_CATEGORY_LIST);
    const int rowsBefore = RowCount(categories);
    std::wstring chosen;
    script.Expect(L"add-category dialog", IDC_CLASSADD_MODE_200, [&](HWND dialog) {
        SetDlgItemTextW(dialog, IDC_CLASSADD_NAME, kCategoryName);
        SetDlgItemTextW(dialog, IDC_CLASSADD_DESCRIPTION, kCategoryDescription);
        // Two of the three options checked, the third not, "block" chosen:
        // clicked as a user clicks them, and read back.
        const struct {
            int id;
            bool checked;
        } boxes[] = {{IDC_CLASSADD_MODE_002, true}, {IDC_CLASSADD_MODE_101, true}, {IDC_CLASSADD_MODE_200, false},
                     {IDC_CLASSADD_ACTION_BLOCK, true}};
        for (const auto& box : boxes) {
            if ((IsDlgButtonChecked(dialog, box.id) == BST_CHECKED) != box.checked) PressButton(dialog, box.id);
            if ((IsDlgButtonChecked(dialog, box.id) == BST_CHECKED) != box.checked)
                return script.Fail(L"clicking \"" + Label(dialog, box.id) + L"\" did not change it");
        }
        chosen = L"options \"" + Label(dialog, IDC_CLASSADD_MODE_002) + L"\" and \"" +
                 Label(dialog, IDC_CLASSADD_MODE_101) + L"\", action \"" + Label(dialog, IDC_CLASSADD_ACTION_BLOCK) +
                 L"\"";
        PressButton(dialog, IDOK);
    });
    if (!PressButton(editor, IDC_EXPERT_ADD_CATEGORY))
        return script.Fail(L"the editor shows no add-category button (" + Number(IDC_EXPERT_ADD_CATEGORY) + L")");
    if (script.Failed()) return;
    if (!script.AllCame()) return script.Fail(L"the add-category button opened no dialog");
    const int row = FindRow(categories, kCategoryName);
    if (row < 0 || RowCount(categories) != rowsBefore + 1)
        return script.Fail(L"the editor does not list the category \"" + std::wstring(kCategoryName) + L"\"");
    PrintLine(L"2. Added a category in the add-category dialog (the editor's button " +
              Number(IDC_EXPERT_ADD_CATEGORY) + L"): \"" + kCategoryName + L"\", " + chosen + L", OK");
    PrintLine(L"   the editor lists " + Number(RowCount(categories)) + L" categories; row " + Number(row + 1) +
              L": \"" + CellText(categories, row, 0) + L"\", action \"" + CellText(categories, row, 1) + L"\"");
}

void WalkThrough::AddItem(HWND editor, DialogScript& script) {
    HWND categories = GetDlgItem(editor, IDC_EXPERT_CATEGORY_LIST);
    HWND items = GetDlgItem(editor, IDC_EXPERT_ITEM_LIST);
    // The new category is the last row: selected with the keyboard, then
    // into its (empty) item list, where the item buttons show.
    SetFocus(categories);
    PressKey(categories, VK_END);
    const int row = SelectedRow(categories);
    if (row < 0 || CellText(categories, row, 0) != kCategoryName || RowCount(items) != 0)
        return script.Fail(L"the new category could not be selected with its empty item list");
    SetFocus(items);
    script.Expect(L"add-item dialog", IDC_ITEMADD_ROOT, [&](HWND dialog) {
        HWND roots = GetDlgItem(dialog, IDC_ITEMADD_ROOT);
        const LRESULT entry = SendMessageW(roots, CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1),
                                           reinterpret_cast<LPARAM>(kItemRoot));
        if (entry == CB_ERR) return script.Fail(L"the add-item dialog offers no root " + std::wstring(kItemRoot));
        SendMessageW(roots, CB_SETCURSEL, static_cast<WPARAM>(entry), 0);
        SetDlgItemTextW(dialog, IDC_ITEMADD_KEY_PATH, kItemKeyPath);
        SetDlgItemTextW(dialog, IDC_ITEMADD_NAME, kItemName);
        PressButton(dialog, IDOK);
    });
    if (!PressButton(editor, IDC_EXPERT_ADD_ITEM))
        return script.Fail(L"the editor shows no add-item button (" + Number(IDC_EXPERT_ADD_ITEM) +
                           L") with the item list focused");
    if (script.Failed()) return;
    if (!script.AllCame()) return script.Fail(L"the add-item button opened no dialog");
    if (RowCount(items) != 1 || CellText(items, 0, 0) != kItemRoot || CellText(items, 0, 1) != kItemKeyPath)
        return script.Fail(L"the category does not list the item that was added");
    PrintLine(L"3. Added a registry item to it in the add-item dialog (the editor's button " +
              Number(IDC_EXPERT_ADD_ITEM) + L"): " + kItemRoot + L"\\" + kItemKeyPath + L", \"" + kItemName +
              L"\", OK");
    PrintLine(L"   \"" + std::wstring(kCategoryName) + L"\" lists 1 item: " + CellText(items, 0, 0) + L"\\" +
              CellText(items, 0, 1));
}

bool WalkThrough::EditInExpertEditor() {
    std::wstring error;
    const bool done = WithExpertEditor(
        console_.Page(),
        [&](HWND editor, DialogScript& script) {
            ReadStore(editor, script);
            if (!script.Failed()) AddCategory(editor, script);
            if (!script.Failed()) AddItem(editor, script);
            if (script.Failed()) return;
            const std::wstring label = Label(editor, IDC_EXPERT_DONE);
            if (!PressButton(editor, IDC_EXPERT_DONE))
                return script.Fail(L"the editor shows no button " + Number(IDC_EXPERT_DONE) + L" to confirm");
            PrintLine(L"4. Confirmed the editor with its button " + Number(IDC_EXPERT_DONE) + L" (\"" + label + L"\")");
        },
        error);
    return done || Failed(error);
}

bool WalkThrough::Apply() {
    const std::wstring database = folder_.File(L"QRegUser.rdb");
    if (Exists(database)) return Failed(L"QRegUser.rdb was there before Apply");
    if (!PressButton(console_.Window(), OptionsWindow::kApplyId)) return Failed(L"the console has no Apply button");
    if (!Exists(database)) return Failed(L"Apply wrote no QRegUser.rdb into " + folder_.Path());
    std::wstring error;
    const std::wstring contents = VerifiedContents(database, error);
    if (contents.empty()) return Failed(error);
    PrintLine(L"5. Applied with the console's Apply button: the settings folder now holds QRegUser.rdb (" +
              contents + L", VtPsInspect verify)");
    return true;
}

bool WalkThrough::Export() {
    const TransferResult result = ExportSettings(console_.Option(), exportFile_);
    if (!result.ok) return Failed(result.error);
    exported_ = result.bytes;
    PrintLine(L"6. Exported " + Number(result.bytes) + L" bytes to " + exportFile_ + L"; VtPsInspect blob info:");
    const InspectorRun info = RunInspector(L"blob info " + Quoted(exportFile_));
    if (!info.error.empty()) return Failed(info.error);
    for (const std::wstring& line : info.lines) PrintLine(L"     " + line);
    if (info.exitCode != 0) return Failed(L"VtPsInspect blob info refused the exported settings");
    return true;
}

void WalkThrough::FindCategoryAfterImport(HWND editor, DialogScript& script) {
    HWND categories = GetDlgItem(editor, IDC_EXPERT_CATEGORY_LIST);
    HWND items = GetDlgItem(editor, IDC_EXPERT_ITEM_LIST);
    const int row = FindRow(categories, kCategoryName);
    if (row < 0) return script.Fail(L"after the import the editor does not list \"" + std::wstring(kCategoryName) + L"\"");
    SetFocus(categories);
    PressKey(categories, VK_HOME);
    for (int step = 0; step < row; ++step) PressKey(categories, VK_DOWN);
    if (SelectedRow(categories) != row) return script.Fail(L"the arrow keys did not reach the imported category");
    const int itemRows = RowCount(items);
    PrintLine(L"9. Loaded there (CreatePage): the expert editor lists " + Number(RowCount(categories)) +
              L" categories; row " + Number(row + 1) + L", \"" + CellText(categories, row, 0) + L"\", lists " +
              Number(itemRows) + (itemRows == 1 ? L" item" : L" items") +
              (itemRows > 0 ? L": " + CellText(items, 0, 0) + L"\\" + CellText(items, 0, 1) : L""));
    if (itemRows != 1 || CellText(items, 0, 1) != kItemKeyPath)
        return script.Fail(L"the imported category does not hold the item that was added");
    // Closed with its close box: nothing was changed, nothing to confirm.
    PostMessageW(editor, WM_SYSCOMMAND, SC_CLOSE, 0);
}

bool WalkThrough::ImportIntoFreshProfile() {
    console_.Close();
    const bool unloaded = GetModuleHandleW(pluginPath_.c_str()) == nullptr;
    if (!folder_.Remove()) return Failed(L"cannot remove the settings folder " + folder_.Path());
    PrintLine(L"7. A fresh profile: closed the page and the plug-in (library " +
              std::wstring(unloaded ? L"unloaded" : L"freed, still loaded") + L"), removed the settings folder");

    std::wstring error;
    if (!console_.Open(pluginPath_, error)) return Failed(error);
    const TransferResult result = ImportSettings(console_.Option(), exportFile_);
    if (!result.ok) return Failed(result.error);
    const std::wstring database = folder_.File(L"QRegUser.rdb");
    const std::wstring contents = Exists(database) ? VerifiedContents(database, error) : std::wstring();
    if (contents.empty()) return Failed(L"the import left no sound QRegUser.rdb in " + folder_.Path());
    PrintLine(L"8. Imported " + Number(result.bytes) + L" bytes from " + exportFile_ +
              L" into the plug-in loaded anew: the settings folder holds QRegUser.rdb again (" + contents + L")");

    if (!console_.CreatePageWindow(error)) return Failed(error);
    const bool done = WithExpertEditor(
        console_.Page(), [&](HWND editor, DialogScript& script) { FindCategoryAfterImport(editor, script); }, error);
    return done || Failed(error);
}

bool WalkThrough::End() {
    const bool hadOwn = folder_.HadUserSettings();
    if (!folder_.Restore())
        return Failed(hadOwn ? L"your settings could not be put back from " + folder_.AsidePath()
                             : L"the walk-through's settings folder could not be removed");
    PrintLine(hadOwn ? L"settings folder put back: yours again, as before the walk-through"
                     : L"settings folder removed again, as before the walk-through");
    return true;
}

}  // namespace

int RunWalkThrough(const std::wstring& pluginPath, const std::wstring& exportFile) {
    INITCOMMONCONTROLSEX controls = {sizeof(controls), ICC_STANDARD_CLASSES | ICC_LISTVIEW_CLASSES};
    InitCommonControlsEx(&controls);
    ComApartment apartment;
    if (!apartment.ok()) {
        PrintErrorLine(L"COM cannot be initialised (" + HresultText(apartment.result()) + L")");
        return kFailed;
    }
    // A full path: the library's handle is looked up by it after closing.
    wchar_t fullPath[MAX_PATH] = {};
    const DWORD length = GetFullPathNameW(pluginPath.c_str(), MAX_PATH, fullPath, nullptr);
    WalkThrough walk(length > 0 && length < MAX_PATH ? std::wstring(fullPath) : pluginPath, exportFile);
    return walk.Run();
}
