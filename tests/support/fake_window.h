#pragma once

#include <map>
#include <mutex>
#include <string>
#include <vector>

#include "common/blocking_waiter.h"
#include "common/delivery_switch.h"
#include "coordinator/window_operations.h"

namespace korv::testing {

inline const char* controlName(Control c) {
    static const char* const names[] = {"ErrorLine1", "ErrorLine2",       "WriteButton", "StatusField", "PortList",
                                        "ProgressBar", "CrcField",        "CrcReceivedLabel", "CrcLabel",
                                        "OkButton",   "ErrorPicture",     "SuccessText", "VersionLabel"};
    return names[static_cast<int>(c)];
}

// A window that records every operation, in order, from whichever thread it comes, and keeps
// just enough state (texts, the checksum field) for the exchanges to work against it.
class FakeWindow : public WindowOperations {
public:
    void SetVisible(Control c, const Value& v) override { record("SetVisible", c, v.truth() ? "1" : "0"); }
    void SetEnabled(Control c, const Value& v) override { record("SetEnabled", c, v.truth() ? "1" : "0"); }
    void SetWindowEnabled(const Value& v) override {
        std::lock_guard lock(mutex_);
        log_.push_back(std::string("SetWindowEnabled(") + (v.truth() ? "1" : "0") + ")");
    }
    void SetText(Control c, const Value& v) override {
        std::lock_guard lock(mutex_);
        texts_[c] = v.text();
        if (c != Control::CrcField) log_.push_back(std::string("SetText(") + controlName(c) + "," + v.text() + ")");
    }
    Value GetText(Control c) override {
        std::lock_guard lock(mutex_);
        return Value::text(texts_[c]);
    }
    void SetPosition(const Value& v) override {
        std::lock_guard lock(mutex_);
        position_ = v.integer();
    }
    void AddEntry(const Value& v) override {
        std::lock_guard lock(mutex_);
        log_.push_back("AddEntry(" + v.text() + ")");
    }
    void CloseWindow() override {
        Closing();
        delivery::switchOff();
        std::lock_guard lock(mutex_);
        log_.push_back("closed");
    }
    void run() override {
        delivery::switchOn();
        Started();
    }
    Waiter& waiter() override { return waiter_; }

    // The user picks a port.
    void choose(const std::string& entry) {
        Value v = Value::text(entry);
        v.followedBy(Value(0));
        PortChosen(v);
    }

    std::vector<std::string> takeLog() {
        std::lock_guard lock(mutex_);
        return std::exchange(log_, {});
    }
    std::string text(Control c) {
        std::lock_guard lock(mutex_);
        return texts_[c];
    }
    int position() {
        std::lock_guard lock(mutex_);
        return position_;
    }

private:
    void record(const char* op, Control c, const char* v) {
        std::lock_guard lock(mutex_);
        log_.push_back(std::string(op) + "(" + controlName(c) + "," + v + ")");
    }

    BlockingWaiter waiter_;
    std::mutex mutex_;
    std::vector<std::string> log_;
    std::map<Control, std::string> texts_{{Control::CrcField, "FFFF"}};
    int position_ = 0;
};

}  // namespace korv::testing
