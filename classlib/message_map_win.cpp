#include "message_map_win.h"

const MessageEntry* MessageMap::Find(UINT message, WPARAM wParam) const noexcept
{
    for (const MessageMap* map = this; map; map = map->m_base) {
        for (std::size_t i = 0; i < map->m_count; ++i) {
            const MessageEntry& entry = map->m_entries[i];
            if (entry.message == message && (message != WM_COMMAND || entry.commandId == LOWORD(wParam))) {
                return &entry;
            }
        }
    }
    return nullptr;
}

bool CCmdTarget::OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result)
{
    const MessageEntry* entry = GetMessageMap().Find(message, wParam);
    if (!entry) {
        return false;
    }
    result = entry->call(*this, wParam, lParam);
    return true;
}
