// Message-map lookup.
#include "framework/MessageMap.h"

namespace hb {

const MessageMapEntry* CCmdTarget::FindEntry(unsigned message, unsigned code, unsigned id) const {
    for (const MessageMap* map = GetMessageMap(); map != nullptr; map = map->base) {
        for (const MessageMapEntry& entry : map->entries) {
            if (entry.message != message) {
                continue;
            }
            if (message != win::kWmCommand || (entry.code == code && entry.id == id)) {
                return &entry;
            }
        }
    }
    return nullptr;
}

bool CCmdTarget::OnCmdMsg(unsigned id, unsigned code) {
    const MessageMapEntry* entry = FindEntry(win::kWmCommand, code, id);
    if (entry == nullptr) {
        return false;
    }
    entry->handler(*this, 0, 0);
    return true;
}

} // namespace hb
