#include "tests/support/recording_skin.h"

#include "tests/support/test_files.h"
#include "win/dll_module.h"
#include "win/skin_style.h"

namespace testing_support {

namespace {

std::vector<RecordingSkin::Call> g_calls;

class RecordingStyle final : public IWindowStyle {
public:
#define VTPS_RECORD(name, position) \
    BOOL STDMETHODCALLTYPE name(HWND window) override { return Record(position, window); }
    VTPS_RECORD(StyleDialog, 0)
    VTPS_RECORD(StyleStatic, 1)
    VTPS_RECORD(StyleCheckBox, 2)
    VTPS_RECORD(StyleCheckButton, 3)
    VTPS_RECORD(StylePushButton, 4)
    VTPS_RECORD(StyleEdit, 5)
    VTPS_RECORD(StyleComboBox, 6)
    VTPS_RECORD(StyleGroupBox, 7)
    VTPS_RECORD(StyleListBox, 8)
    VTPS_RECORD(StyleScrollBar, 9)
    VTPS_RECORD(StyleTab, 10)
    VTPS_RECORD(StyleTree, 11)
    VTPS_RECORD(StyleProgress, 12)
    VTPS_RECORD(StyleSlider, 13)
    VTPS_RECORD(StyleSpin, 14)
    VTPS_RECORD(StyleHeader, 15)
    VTPS_RECORD(StyleToolbar, 16)
    VTPS_RECORD(StyleStatusBar, 17)
    VTPS_RECORD(StyleRichEdit, 18)
    VTPS_RECORD(StyleHyperlink, 19)
    VTPS_RECORD(StyleFrame, 20)
    VTPS_RECORD(StyleListView, 21)
#undef VTPS_RECORD

private:
    // The dialogs ignore the results.
    static BOOL Record(int position, HWND window) {
        const bool isChild = (::GetWindowLongW(window, GWL_STYLE) & WS_CHILD) != 0;
        g_calls.emplace_back(position, isChild ? ::GetDlgCtrlID(window) : 0);
        return TRUE;
    }
};

IWindowStyle* WINAPI GetRecordingStyle() {
    static RecordingStyle style;
    return &style;
}

}  // namespace

RecordingSkin::RecordingSkin() {
    g_calls.clear();
    // The real library makes the skin "loaded"; its style object is swapped.
    Common::CGlimraModule& skin = Common::GlimraModule();
    installed_ = skin.Load((SuiteDir() + L"\\Glimra\\Glimra.dll").c_str());
    skin.m_pfnGetWindowStyle = GetRecordingStyle;
}

RecordingSkin::~RecordingSkin() {
    Common::GlimraModule().Free();
    Common::GlimraModule().m_pfnGetWindowStyle = nullptr;
}

const std::vector<RecordingSkin::Call>& RecordingSkin::Calls() { return g_calls; }

}  // namespace testing_support
