#pragma once

#include <functional>
#include <utility>

#include "common/delivery_switch.h"
#include "common/value.h"

namespace korv {

// An event a component raises. The coordinator connects it once, before delivery is switched on;
// raising it calls the connected handler synchronously, and only while delivery is on.
class Output {
public:
    using Handler = std::function<void(const Value&)>;

    void connect(Handler handler) { handler_ = std::move(handler); }
    void operator()(const Value& value = {}) const {
        if (handler_ && delivery::isOn()) handler_(value);
    }

private:
    Handler handler_;
};

// A value a component reads from another one; empty while delivery is off.
class ValueSource {
public:
    using Reader = std::function<Value()>;

    void connect(Reader reader) { reader_ = std::move(reader); }
    Value read() const { return reader_ && delivery::isOn() ? reader_() : Value(); }

private:
    Reader reader_;
};

}  // namespace korv
