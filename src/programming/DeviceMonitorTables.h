#pragma once

#include "programming/ConfigImage.h"

#include <mutex>

namespace zel {

/// The button tables of the last download (`ButtonFunction`, switchKey, dpiKey) as the
/// download publishes them and the event monitor and the player read them: whole tables
/// change at once, so a reader never sees half of a download's tables.
class SharedButtonTables {
public:
    void publish(const ButtonTables& tables) {
        std::lock_guard lock(m_mutex);
        m_tables = tables;
    }
    ButtonTables snapshot() const {
        std::lock_guard lock(m_mutex);
        return m_tables;
    }

private:
    mutable std::mutex m_mutex;
    ButtonTables m_tables{};
};

} // namespace zel
