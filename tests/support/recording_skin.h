// The skin library loaded from the suite folder with its window-style object
// replaced by one that records every call, so a test sees which controls a
// dialog hands to the skin and in which order.
#pragma once
#include <windows.h>

#include <utility>
#include <vector>

namespace testing_support {

class RecordingSkin {
public:
    // (position of the operation in the style table, control id; 0 for the
    // dialog window itself)
    using Call = std::pair<int, int>;

    // Installed while the object lives; the record starts empty.
    RecordingSkin();
    ~RecordingSkin();
    RecordingSkin(const RecordingSkin&) = delete;
    RecordingSkin& operator=(const RecordingSkin&) = delete;

    bool Installed() const { return installed_; }
    static const std::vector<Call>& Calls();

private:
    bool installed_ = false;
};

}  // namespace testing_support
