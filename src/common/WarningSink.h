#pragma once

#include "common/Tip.h"

#include <string>

namespace zel {

/// Where the core reports a refusal or an error. The program connects it to the
/// warning box, which shows the text of `tip` from the language pack's TipText table;
/// tests record the calls.
class WarningSink {
public:
    virtual ~WarningSink() = default;
    virtual void warn(Tip tip) = 0;
};

/// A sink that drops every warning (start-up steps that must stay silent).
class NullWarningSink final : public WarningSink {
public:
    void warn(Tip) override {}
};

/// The few fixed texts that appear in a plain system message box.
class MessageSink {
public:
    virtual ~MessageSink() = default;
    virtual void message(const std::string& text) = 0;
};

} // namespace zel
