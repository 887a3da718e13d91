#include "GbkCodec.h"

#include <iconv.h>

#include <cerrno>
#include <vector>

namespace {

std::optional<QByteArray> Convert(const char* to, const char* from, const QByteArray& input) {
    iconv_t cd = iconv_open(to, from);
    if (cd == reinterpret_cast<iconv_t>(-1)) return std::nullopt;
    std::vector<char> out(static_cast<size_t>(input.size()) * 4 + 8);
    char* in = const_cast<char*>(input.constData());
    size_t inLeft = static_cast<size_t>(input.size());
    char* outPtr = out.data();
    size_t outLeft = out.size();
    const size_t result = iconv(cd, &in, &inLeft, &outPtr, &outLeft);
    iconv_close(cd);
    if (result == static_cast<size_t>(-1) || inLeft != 0) return std::nullopt;
    return QByteArray(out.data(), static_cast<qsizetype>(out.size() - outLeft));
}

}  // namespace

namespace gbk {

std::optional<QByteArray> Encode(const QString& text) {
    return Convert("GBK", "UTF-8", text.toUtf8());
}

std::optional<QString> Decode(const QByteArray& bytes) {
    const std::optional<QByteArray> utf8 = Convert("UTF-8", "GBK", bytes);
    if (!utf8) return std::nullopt;
    return QString::fromUtf8(*utf8);
}

}  // namespace gbk
