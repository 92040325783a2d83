#include "coordinator/hiSimpleForm_2008870.h"

namespace korv {

TClassSimpleForm_2008870::TClassSimpleForm_2008870(FormParts parts)
    : window_(parts.makeWindow()),
      serial_(window_->waiter()),
      identifier_(),
      exchange_(window_->waiter(), std::move(parts.timers)),
      delay_(parts.makeDelay(window_->waiter())) {
    connect();
}

TClassSimpleForm_2008870::~TClassSimpleForm_2008870() = default;

int TClassSimpleForm_2008870::run() {
    window_->run();
    return 0;
}

void TClassSimpleForm_2008870::connect() {
    WindowOperations& w = *window_;
    w.Started.connect([this](const Value&) { serial_.ListPorts(); });
    serial_.PortFound.connect([this](const Value& name) { window_->AddEntry(name); });
    w.PortChosen.connect([this](const Value& entry) { onPortChosen(entry); });
    identifier_.RequestOpen.connect([this](const Value&) { serial_.Open(Value::text(chosenPortName_)); });
    serial_.OpenResult.connect([this](const Value& number) { identifier_.OpenResult(number); });
    identifier_.SendQuery.connect([this](const Value& query) { serial_.Write(query); });
    identifier_.ShowStatus.connect([this](const Value& text) { window_->SetText(Control::StatusField, text); });
    serial_.DataReceived.connect([this](const Value& chunk) { onDataReceived(chunk); });
    identifier_.DeviceIdentified.connect([this](const Value& marker) {
        window_->SetEnabled(Control::PortList, Value(0));
        window_->SetEnabled(Control::WriteButton, marker);
    });
    w.WriteClicked.connect([this](const Value& value) { onWriteClicked(value); });
    exchange_.onSend.connect([this](const Value& bytes) { serial_.Write(bytes); });
    exchange_.onProgress.connect([this](const Value& blocks) { window_->SetPosition(blocks); });
    exchange_.onChecksum.connect([this](const Value& crc) { window_->SetText(Control::CrcField, crc); });
    exchange_.runningChecksum.connect([this] { return window_->GetText(Control::CrcField); });
    exchange_.onDone.connect([this](const Value&) { onDone(); });
    exchange_.onFailed.connect([this](const Value&) { onFailed(); });
    w.OkClicked.connect([this](const Value&) { window_->CloseWindow(); });
    w.Closing.connect([this](const Value&) { serial_.Close(); });
}

void TClassSimpleForm_2008870::onPortChosen(const Value& entry) {
    serial_.Close();
    chosenPortName_ = entry.text();
    identifier_.PortSelected(entry);
}

void TClassSimpleForm_2008870::onDataReceived(const Value& chunk) {
    if (identifier_.LinkState() == Identifying) {
        identifier_.ChunkReceived(chunk);
    } else {
        exchange_.received(chunk);
    }
}

void TClassSimpleForm_2008870::onWriteClicked(const Value& value) {
    exchange_.start();
    window_->SetEnabled(Control::WriteButton, value);
    window_->SetWindowEnabled(value);
}

// Reader thread, inside the exchange's lock: the wait holds only the reader, whose bytes stay
// queued in the driver meanwhile; closing the port ends it at once.
void TClassSimpleForm_2008870::onDone() {
    successFlag_ = !successFlag_;
    if (!delay_(kSuccessDelay, [this] { return serial_.closing(); })) return;
    applyEndScreen();
    successShown_ = true;
    window_->SetVisible(Control::SuccessText, Value(1));
}

void TClassSimpleForm_2008870::onFailed() {
    if (successFlag_) return;
    applyEndScreen();
    const Value visible(successShown_ ? 0 : 1);
    window_->SetVisible(Control::ErrorLine2, visible);
    window_->SetVisible(Control::ErrorLine1, visible);
    window_->SetVisible(Control::ErrorPicture, visible);
}

void TClassSimpleForm_2008870::applyEndScreen() {
    for (Control c : {Control::PortList, Control::StatusField, Control::ProgressBar, Control::WriteButton,
                      Control::VersionLabel}) {
        window_->SetVisible(c, Value(0));
    }
    window_->SetWindowEnabled(Value(1));
    window_->SetVisible(Control::OkButton, Value(1));
}

}  // namespace korv
