// Multi-tap letter entry: each tap of a group letter chooses the next letter of its group,
// another group's tap or 800 ms without a tap commit the pending letter with Right arrow.
#include "actions/MultiTap.h"

#include "actions/KeyChords.h"
#include "actions/KeyInjection.h"
#include "ui/HandsetBridgeDlg.h"

#include <array>
#include <cassert>

namespace hb::actions {
namespace {
// Group letters, and one past 'Z' as the end of group 9.
constexpr std::array<std::uint8_t, kTapGroups + 1> kGroupStarts{'A', 'D', 'G', 'J', 'M',
                                                                'P', 'S', 'V', 'Y', 'Z' + 1};
} // namespace

std::uint8_t GroupLetter(int group) {
    assert(group >= 1 && group <= kTapGroups);
    return kGroupStarts[static_cast<std::size_t>(group - 1)];
}

std::uint8_t NextTapLetter(int group, std::uint8_t letter) {
    const auto next = static_cast<std::uint8_t>(letter + 1);
    return next == kGroupStarts[static_cast<std::size_t>(group)] ? GroupLetter(group) : next;
}

} // namespace hb::actions

namespace hb {

void CHandsetBridgeDlg::TapGroupLetter(int group) {
    if (group < 1 || group > actions::kTapGroups) {
        return;
    }
    std::scoped_lock lock(m_tapLock);
    if (m_bTapPending != 0) {
        KillTimer(kTimerMultiTap);
    }
    const std::uint8_t first = actions::GroupLetter(group);
    if (m_nTapGroup == 0) {
        m_chTapLetter = first;
    } else if (m_nTapGroup == group) {
        m_chTapLetter = actions::NextTapLetter(group, m_chTapLetter);
    } else {
        actions::SendKeyEvent(Os().keyboard, actions::kVkRight, false);
        actions::SendKeyEvent(Os().keyboard, actions::kVkRight, true);
        m_chTapLetter = first;
    }
    m_nTapGroup = group;
    m_bTapPending = 1;
    SetTimer(kTimerMultiTap, actions::kTapCommitMilliseconds);
}

void CHandsetBridgeDlg::CommitTapLetter() {
    std::scoped_lock lock(m_tapLock);
    KillTimer(kTimerMultiTap);
    actions::SendKeyEvent(Os().keyboard, actions::kVkRight, false);
    actions::SendKeyEvent(Os().keyboard, actions::kVkRight, true);
    m_nTapGroup = 0;
    m_chTapLetter = 0;
}

} // namespace hb
