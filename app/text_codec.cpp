#include "app/text_codec.h"

#include "common/cp1251.h"

namespace korv::text {

namespace {

constexpr char16_t kControlPictures = 0x2400;  // U+2400..U+241F for 0x00..0x1F
constexpr char16_t kDeletePicture = 0x2421;

QChar visibleChar(unsigned char b) {
    if (b < 0x20) return QChar(static_cast<char16_t>(kControlPictures + b));
    if (b == 0x7F) return QChar(kDeletePicture);
    return QChar(cp1251::toUnicode(b));
}

char byteOf(QChar c) {
    const char16_t u = c.unicode();
    if (u >= kControlPictures && u < kControlPictures + 0x20) return static_cast<char>(u - kControlPictures);
    if (u == kDeletePicture) return 0x7F;
    return cp1251::fromUnicode(u);
}

}  // namespace

QString forField(const Bytes& bytes) {
    QString out;
    out.reserve(static_cast<qsizetype>(bytes.size()));
    for (char c : bytes) out.append(visibleChar(static_cast<unsigned char>(c)));
    return out;
}

Bytes fromField(const QString& text) {
    Bytes out;
    out.reserve(static_cast<std::size_t>(text.size()));
    for (QChar c : text) out.push_back(byteOf(c));
    return out;
}

QString forLabel(const Bytes& bytes) {
    QString out;
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        if (bytes[i] == '\r' && i + 1 < bytes.size() && bytes[i + 1] == '\n') {
            out.append(QChar('\n'));
            ++i;
        } else if (bytes[i] == '\n') {
            out.append(QChar(QChar::LineSeparator));
        } else {
            out.append(visibleChar(static_cast<unsigned char>(bytes[i])));
        }
    }
    return out;
}

Bytes fromLabel(const QString& text) {
    Bytes out;
    for (QChar c : text) {
        if (c == QChar('\n')) {
            out += "\r\n";
        } else if (c == QChar(QChar::LineSeparator)) {
            out += '\n';
        } else {
            out.push_back(byteOf(c));
        }
    }
    return out;
}

}  // namespace korv::text
