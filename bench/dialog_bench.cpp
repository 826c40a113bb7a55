// DialogBench: how long the rule editors take for what the user does with
// them on the max-scale rule set, each against the floor of filling a bare
// report-view list with the same rows:
//   1. opening the expert rule editor (all categories listed),
//   2. switching it to the largest category,
//   3. adding one item to that category (add-item dialog answered at once),
//   4. opening the hand-edit dialog on the whole user rule file.
//
//   DialogBench [--runs N] [--tiny]
//
// Target: each figure within 1.5x its floor in every round (figure and floor
// are measured one right after the other, three times in each round, and the
// round keeps the try whose ratio is the median).  The editor waits
// 10 ms whenever it swaps its button sets; that wait is measured and shown
// on its own.
// --tiny measures a small set, only to show that the program works.
#include <windows.h>

#include <commctrl.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "bench_options.h"
#include "bare_list_dialog.h"
#include "bench_environment.h"
#include "core/root_names.h"
#include "dialogs/expert_dlg.h"
#include "dialogs/hand_edit_dlg.h"
#include "dialogs/item_add_dlg.h"
#include "lang/resource.h"
#include "machine_note.h"
#include "modal_timer.h"
#include "paired_runs.h"
#include "win/resource_module.h"
#include "win/settings_files.h"
#include "plugin/settings_transfer.h"
#include "win/ansi_text.h"
#include "rules/ini_rules.h"
#include "rules/rule_entry_list.h"
#include "rules/rule_store.h"
#include "sleep_meter.h"
#include "stopwatch.h"
#include "template_layout.h"
#include "tests/support/modal_script.h"
#include "rdbtool/max_set.h"

using testing_support::ModalScript;

namespace {

const double kTarget = 1.5;
// Each round tries every floor and figure this many times, one pair right
// after the other, and keeps the try with the median ratio: a pause of the
// machine as long as a third of an opening would otherwise decide a round.
const size_t kTriesPerRound = 3;
const int kShownRuleRows = CHandEditDlg::kLastRowIndex + 1;

// One measured action: its times, its floor's times, and the editor's own
// waits inside it, one value per round.
struct Figure {
    const char* name;
    std::vector<double> ms, floorMs, sleepMs;
    std::vector<int> sleeps;

    void Forget() { ms.clear(), floorMs.clear(), sleepMs.clear(), sleeps.clear(); }
    // Of the last `tries` tries, the one whose figure / floor is the median
    // stays, with its times and waits: one round.
    void KeepMedianTry(size_t tries) {
        if (tries == 0 || ms.size() < tries || floorMs.size() != ms.size() || sleepMs.size() != ms.size() ||
            sleeps.size() != ms.size())
            return;
        const size_t first = ms.size() - tries;
        std::vector<size_t> order;
        for (size_t i = first; i < ms.size(); ++i) order.push_back(i);
        auto ratio = [this](size_t i) { return floorMs[i] > 0 ? ms[i] / floorMs[i] : 0.0; };
        std::sort(order.begin(), order.end(), [&](size_t a, size_t b) { return ratio(a) < ratio(b); });
        const size_t kept = order[order.size() / 2];
        ms[first] = ms[kept], floorMs[first] = floorMs[kept], sleepMs[first] = sleepMs[kept], sleeps[first] = sleeps[kept];
        for (auto* values : {&ms, &floorMs, &sleepMs}) values->resize(first + 1);
        sleeps.resize(first + 1);
    }
};

// What one run saw that is not a time; a run that sees something else has
// not measured what it claims to.
struct Problems {
    std::vector<std::string> list;
    void Check(bool ok, const std::string& what) {
        if (!ok) list.push_back(what);
    }
};

// ---------------------------------------------------------------------------
// The rows that the dialogs show, prepared for the floors

std::wstring WideField(const wchar_t* field, size_t size) { return std::wstring(field, wcsnlen(field, size)); }

UINT ActionTextId(int32_t action) {
    switch (action) {
    case 1: return IDS_ACTION_ALLOW;
    case 2: return IDS_ACTION_BLOCK;
    default: return IDS_ACTION_ASK;
    }
}

ListRows CategoryRows() {
    ListRows rows;
    for (uint32_t i = 0; i < g_ruleStore.count; ++i) {
        const RuleCategory& category = g_ruleStore.categories[i];
        rows.push_back({WideField(category.wideName, sizeof category.wideName / sizeof(wchar_t)),
                        LoadResourceString(ActionTextId(category.action))});
    }
    return rows;
}

int ItemCount(uint32_t category) {
    int count = 0;
    for (const RuleItem* item = g_ruleStore.categories[category].items; item; item = item->next) ++count;
    return count;
}

// The first category with the most items.
uint32_t LargestCategory() {
    uint32_t largest = 0;
    for (uint32_t i = 1; i < g_ruleStore.count; ++i)
        if (ItemCount(i) > ItemCount(largest)) largest = i;
    return largest;
}

ListRows ItemRows(uint32_t category) {
    ListRows rows;
    for (const RuleItem* item = g_ruleStore.categories[category].items; item; item = item->next)
        rows.push_back({ToWide(LongNameFromRoot(item->root)), ToWide(item->keyPath)});
    return rows;
}

ListRows RuleFileRows() {
    ListRows rows;
    const std::string path = ToAnsi(g_settingsFiles.regUserIniWork);
    RuleEntryList entries(ReadIniRuleFile(path.c_str()));
    for (const RuleEntry* entry = entries.get(); entry && static_cast<int>(rows.size()) < kShownRuleRows;
         entry = entry->next)
        rows.push_back({ToWide(entry->category), ToWide(entry->displayName), ToWide(entry->keyPath),
                        ToWide(entry->valuePattern)});
    return rows;
}

// ---------------------------------------------------------------------------
// The floors: the lists of the editors' templates, bare

std::vector<BareColumn> TwoColumns(UINT header0, int (*width0)(int), UINT header1, int (*width1)(int)) {
    return {{LoadResourceString(header0), width0, LVCFMT_LEFT}, {LoadResourceString(header1), width1, LVCFMT_LEFT}};
}

// Null when the template cannot be read.
// The editor opens on the first category: its items are shown as well.
std::unique_ptr<BareListDialog> EditorFloor(const ListRows* categoryRows, const ListRows* firstCategoryItems) {
    TemplateLayout layout;
    if (!ReadTemplateLayout(ResourceModule(), CExpertDlg::IDD, layout) ||
        !layout.controls.count(IDC_EXPERT_CATEGORY_LIST) || !layout.controls.count(IDC_EXPERT_ITEM_LIST))
        return nullptr;
    BareList categories = {IDC_EXPERT_CATEGORY_LIST, layout.controls[IDC_EXPERT_CATEGORY_LIST],
                           TwoColumns(
                               IDS_CATEGORY_COLUMN_NAME, [](int w) { return 3 * w / 4; }, IDS_CATEGORY_COLUMN_ACTION,
                               [](int w) { return w / 4 - 5; }),
                           categoryRows};
    BareList items = {
        IDC_EXPERT_ITEM_LIST, layout.controls[IDC_EXPERT_ITEM_LIST],
        TwoColumns(
            IDS_ITEM_COLUMN_ROOT, [](int w) { return w / 3; }, IDS_ITEM_COLUMN_KEY_PATH, [](int w) { return w; }),
        firstCategoryItems};
    return std::unique_ptr<BareListDialog>(new BareListDialog(layout.cx, layout.cy, {categories, items}));
}

std::unique_ptr<BareListDialog> HandEditFloor(const ListRows* ruleRows) {
    TemplateLayout layout;
    if (!ReadTemplateLayout(ResourceModule(), CHandEditDlg::IDD, layout) || !layout.controls.count(IDC_HAND_EDIT_LIST))
        return nullptr;
    const UINT headers[] = {IDS_HAND_EDIT_COLUMN_SECTION, IDS_HAND_EDIT_COLUMN_NAME, IDS_HAND_EDIT_COLUMN_KEY_PATH,
                            IDS_HAND_EDIT_COLUMN_VALUE};
    const int percents[] = {15, 20, 35, 30};
    std::vector<BareColumn> columns;
    for (int i = 0; i < 4; ++i) {
        const int percent = percents[i];
        columns.push_back({LoadResourceString(headers[i]), [percent](int w) { return w * percent / 100; },
                           LVCFMT_CENTER});
    }
    BareList rules = {IDC_HAND_EDIT_LIST, layout.controls[IDC_HAND_EDIT_LIST], columns, ruleRows};
    return std::unique_ptr<BareListDialog>(new BareListDialog(layout.cx, layout.cy, {rules}));
}

// ---------------------------------------------------------------------------

int RowCount(HWND list) { return static_cast<int>(::SendMessageW(list, LVM_GETITEMCOUNT, 0, 0)); }

int SelectedRow(HWND list) {
    return static_cast<int>(::SendMessageW(list, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED));
}

void SelectAndFocusRow(HWND list, int row) {
    LVITEMW item = {};
    item.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
    item.state = LVIS_SELECTED | LVIS_FOCUSED;
    ::SendMessageW(list, LVM_SETITEMSTATE, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&item));
}

// The add-item dialog: a new key under HKEY_CURRENT_USER\Software, then OK.
ModalScript::Step DescribeNewItem(int serial) {
    return [serial](HWND dialog) {
        HWND roots = ::GetDlgItem(dialog, IDC_ITEMADD_ROOT);
        const LRESULT entry = ::SendMessageW(roots, CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1),
                                             reinterpret_cast<LPARAM>(L"HKEY_CURRENT_USER"));
        ::SendMessageW(roots, CB_SETCURSEL, entry == CB_ERR ? 0 : static_cast<WPARAM>(entry), 0);
        const std::wstring number = std::to_wstring(serial);
        testing_support::SetControlText(dialog, IDC_ITEMADD_KEY_PATH, L"Software\\DialogBench\\Key" + number);
        testing_support::SetControlText(dialog, IDC_ITEMADD_NAME, L"Bench key " + number);
        testing_support::ClickButton(dialog, IDOK);
    };
}

class DialogBench {
public:
    DialogBench(ModalTimer& timer, SleepMeter& sleeps) : timer_(timer), sleeps_(sleeps) {}

    void Run(Problems& problems);
    // Drops what the rounds so far measured (a warming round).
    void Forget() {
        for (Figure* figure : {&open, &change, &add, &handEdit}) figure->Forget();
    }
    void EndRound() {
        for (Figure* figure : {&open, &change, &add, &handEdit}) figure->KeepMedianTry(kTriesPerRound);
    }
    void Print() const;

    Figure open{"1 open the expert rule editor"};
    Figure change{"2 switch to the largest category"};
    Figure add{"3 add one item to it"};
    Figure handEdit{"4 open the hand-edit dialog"};

private:
    void RunEditorFloor(uint32_t largest, Problems& problems);
    void RunEditor(uint32_t largest, Problems& problems);
    void RunHandEdit(Problems& problems);
    // Times `work` followed by the repaint of `window`, with the editor's
    // waits inside it, into the figure's own lists.
    template <typename Work>
    void Measure(Figure& figure, HWND window, Work work) {
        sleeps_.Reset();
        figure.ms.push_back(TimeMs([&] {
            work();
            ::UpdateWindow(window);
        }));
        figure.sleeps.push_back(sleeps_.Calls());
        figure.sleepMs.push_back(sleeps_.Milliseconds());
    }
    // The opening as ModalTimer takes it, with the waits inside it.
    void MeasureOpening(Figure& figure, const std::function<void(HWND)>& runModal,
                        const std::function<void(HWND)>& whileOpen, Problems& problems);

    ModalTimer& timer_;
    SleepMeter& sleeps_;
    int added_ = 0;
};

void DialogBench::MeasureOpening(Figure& figure, const std::function<void(HWND)>& runModal,
                                 const std::function<void(HWND)>& whileOpen, Problems& problems) {
    sleeps_.Reset();
    int sleepsAtIdle = 0;
    double sleepMsAtIdle = 0;
    const double ms = timer_.Open(runModal, [&](HWND dialog) {
        sleepsAtIdle = sleeps_.Calls();
        sleepMsAtIdle = sleeps_.Milliseconds();
        whileOpen(dialog);
    });
    problems.Check(ms >= 0, std::string(figure.name) + ": the dialog did not open");
    figure.ms.push_back(ms);
    figure.sleeps.push_back(sleepsAtIdle);
    figure.sleepMs.push_back(sleepMsAtIdle);
}

void DialogBench::RunEditorFloor(uint32_t largest, Problems& problems) {
    const ListRows categories = CategoryRows();
    const ListRows items = ItemRows(largest);
    ListRows itemsAfterAdd = items;
    itemsAfterAdd.push_back({L"HKEY_CURRENT_USER", L"Software\\DialogBench\\Key"});
    const ListRows firstItems = ItemRows(0);
    std::unique_ptr<BareListDialog> floor = EditorFloor(&categories, &firstItems);
    problems.Check(floor != nullptr, "the editor's template cannot be read");
    if (!floor) return;
    auto refill = [](HWND dialog, const ListRows& rows) {
        return TimeMs([&] {
            BareListDialog::Fill(::GetDlgItem(dialog, IDC_EXPERT_ITEM_LIST), rows);
            ::UpdateWindow(dialog);
        });
    };
    const double ms = timer_.Open([&](HWND owner) { floor->Run(owner); },
                                  [&](HWND dialog) {
                                      change.floorMs.push_back(refill(dialog, items));
                                      add.floorMs.push_back(refill(dialog, itemsAfterAdd));
                                  });
    problems.Check(ms >= 0, "the editor's floor did not open");
    open.floorMs.push_back(ms);
}

void DialogBench::RunEditor(uint32_t largest, Problems& problems) {
    const int items = ItemCount(largest);
    const int row = static_cast<int>(largest);
    // The switch comes from a neighbouring row, with the category list focused.
    const bool fromBelow = row + 1 < static_cast<int>(g_ruleStore.count);
    const int neighbour = fromBelow ? row + 1 : row - 1;
    // Answers the add-item dialog; the editor is its first window, so that
    // its activations take no step.
    ModalScript script;
    script.Then([](HWND) {});
    MeasureOpening(
        open, [](HWND owner) { CExpertDlg().DoModal(owner); },
        [&](HWND editor) {
            HWND categories = ::GetDlgItem(editor, IDC_EXPERT_CATEGORY_LIST);
            HWND itemList = ::GetDlgItem(editor, IDC_EXPERT_ITEM_LIST);
            problems.Check(RowCount(categories) == static_cast<int>(g_ruleStore.count),
                           "the editor does not list every category");
            if (neighbour >= 0) {
                ::SetFocus(categories);
                SelectAndFocusRow(categories, neighbour);
                ::UpdateWindow(editor);
            }
            Measure(change, editor, [&] {
                ::SendMessageW(categories, WM_KEYDOWN, fromBelow ? VK_UP : VK_DOWN, 0);
            });
            problems.Check(SelectedRow(categories) == row && RowCount(itemList) == items,
                           "the switch did not show the largest category");

            // As a user gets there: into the item list (item mode), then its
            // context menu's add command.
            ::SetFocus(itemList);
            script.Then(DescribeNewItem(++added_));
            Measure(add, editor, [&] {
                ::SendMessageW(editor, WM_COMMAND, MAKEWPARAM(IDC_EXPERT_ADD_ITEM, 0),
                               reinterpret_cast<LPARAM>(::GetDlgItem(editor, IDC_EXPERT_ADD_ITEM)));
            });
            problems.Check(script.PendingSteps() == 0 && script.UnexpectedWindows() == 0 &&
                               RowCount(itemList) == items + 1 && ItemCount(largest) == items + 1,
                           "the item was not added");
        },
        problems);
}

void DialogBench::RunHandEdit(Problems& problems) {
    const ListRows rules = RuleFileRows();
    std::unique_ptr<BareListDialog> floor = HandEditFloor(&rules);
    problems.Check(floor != nullptr, "the hand-edit dialog's template cannot be read");
    if (!floor) return;
    const double ms = timer_.Open([&](HWND owner) { floor->Run(owner); }, [](HWND) {});
    problems.Check(ms >= 0, "the hand-edit dialog's floor did not open");
    handEdit.floorMs.push_back(ms);
    MeasureOpening(
        handEdit, [](HWND owner) { CHandEditDlg().DoModal(owner); },
        [&](HWND dialog) {
            problems.Check(RowCount(::GetDlgItem(dialog, IDC_HAND_EDIT_LIST)) == static_cast<int>(rules.size()),
                           "the hand-edit dialog does not list the rules");
        },
        problems);
}

void DialogBench::Run(Problems& problems) {
    // Each floor runs right before its dialog, so that a change of the
    // machine's load falls on both alike.
    const uint32_t largest = LargestCategory();
    RunEditorFloor(largest, problems);
    RunEditor(largest, problems);
    RunHandEdit(problems);
}

void DialogBench::Print() const {
    std::printf("\n%d interleaved round%s after one untimed, each: %zu tries of floor then figure, the one with\n"
                "the median ratio kept; over the rounds: median (least-largest, width)\n",
                static_cast<int>(open.ms.size()), open.ms.size() == 1 ? "" : "s", kTriesPerRound);
    for (const Figure* figure : {&open, &change, &add, &handEdit}) {
        const PairedRuns runs(figure->ms, figure->floorMs);
        std::vector<double> withoutWaits;
        for (size_t i = 0; i < figure->ms.size() && i < figure->sleepMs.size(); ++i)
            withoutWaits.push_back(figure->ms[i] - figure->sleepMs[i]);
        const std::vector<double> sleepCounts(figure->sleeps.begin(), figure->sleeps.end());
        std::printf("  %-34s figure %s   floor %s\n", figure->name, FormatTimes(runs.Figure()).c_str(),
                    FormatTimes(runs.Floor()).c_str());
        std::printf("  %-34s ratio  %s   target %.1fx: %s\n", "", FormatRatios(runs.Ratio()).c_str(), kTarget,
                    VerdictText(runs, kTarget).c_str());
        std::printf("  %-34s editor's waits %.0f, %.1f ms; ratio without them %s\n", "",
                    SpreadOf(sleepCounts).median, SpreadOf(figure->sleepMs).median,
                    FormatRatios(PairedRuns(withoutWaits, figure->floorMs).Ratio()).c_str());
    }
}

}  // namespace

int main(int argc, char** argv) {
    BenchOptions options;
    if (!ParseBenchOptions(argc, argv, "DialogBench", options)) return 2;
    const int runs = options.runs;

    INITCOMMONCONTROLSEX controls = {sizeof(controls), ICC_LISTVIEW_CLASSES | ICC_STANDARD_CLASSES};
    ::InitCommonControlsEx(&controls);
    BenchEnvironment environment;
    std::string problem;
    if (!environment.Ready(problem)) {
        std::fprintf(stderr, "DialogBench: %s\n", problem.c_str());
        return 1;
    }
    std::string error;
    if (!GenerateMaxSet(environment.DataFolder(), environment.SettingsFolder(), options.Shape(),
                        error)) {
        std::fprintf(stderr, "DialogBench: cannot write the rule set: %s\n", error.c_str());
        return 1;
    }
    LoadSettings();
    if (g_ruleStore.count == 0) {
        std::fprintf(stderr, "DialogBench: the rule set did not load\n");
        return 1;
    }

    ModalTimer timer;
    SleepMeter sleeps;
    if (!timer.Ready() || !sleeps.Installed()) {
        std::fprintf(stderr, "DialogBench: cannot set up the timing\n");
        return 1;
    }
    std::printf("Machine: %s; load average %s\n", MachineLine().c_str(), LoadAverage().c_str());
    const uint32_t largest = LargestCategory();
    std::printf("%s set: %u categories, the largest (row %u) with %d items; %zu rows of the user rule file\n",
                options.tiny ? "Tiny" : "Max-scale", g_ruleStore.count, largest, ItemCount(largest), RuleFileRows().size());

    DialogBench bench(timer, sleeps);
    Problems problems;
    // The first round only warms up (first dialogs, classes, templates).
    for (int run = 0; run <= runs && problems.list.empty(); ++run) {
        for (size_t attempt = 0; attempt < kTriesPerRound && problems.list.empty(); ++attempt) bench.Run(problems);
        bench.EndRound();
        if (run == 0) bench.Forget();
    }
    for (const std::string& message : problems.list) std::fprintf(stderr, "DialogBench: %s\n", message.c_str());
    if (!problems.list.empty()) return 1;
    bench.Print();
    std::printf("\nLoad average at the end: %s\n", LoadAverage().c_str());
    std::fflush(stdout);
    return 0;
}
