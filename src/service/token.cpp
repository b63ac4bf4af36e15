#include "service/token.h"

#include "core/file_io.h"
#include "core/program_folder.h"

#include <QCryptographicHash>
#include <QRandomGenerator>

#include <sys/stat.h>

#include <array>
#include <cstdint>

namespace lumivo::service {

namespace {

constexpr int kTokenBytes = 32;

bool IsTokenText(const QByteArray& text) {
    if (text.size() < 32 || text.size() > 256) {
        return false;
    }
    for (const char c : text) {
        const bool hex = (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
        if (!hex) {
            return false;
        }
    }
    return true;
}

QByteArray Digest(const QByteArray& text) {
    return QCryptographicHash::hash(text, QCryptographicHash::Sha256);
}

} // namespace

Result<QByteArray> LoadOrCreateToken(const std::filesystem::path& file) {
    std::error_code error;
    if (std::filesystem::exists(std::filesystem::symlink_status(file, error))) {
        Result<Bytes> bytes = ReadWholeFile(file, 4096);
        if (!bytes) {
            return bytes.error();
        }
        const QByteArray text = QByteArray::fromStdString(*bytes).trimmed();
        if (!IsTokenText(text)) {
            return Error{file.string() + ": holds no token (32 to 256 hexadecimal digits); "
                                         "remove it to have a new one made"};
        }
        return text;
    }
    std::array<std::uint32_t, kTokenBytes / 4> random{};
    QRandomGenerator::system()->fillRange(random.data(), random.size());
    const QByteArray token =
        QByteArray(reinterpret_cast<const char*>(random.data()), kTokenBytes).toHex();
    // A new file is made with the mode the umask leaves; for the token that is the owner's alone.
    const mode_t saved = ::umask(077);
    const Status written = WriteFileReplacing(file, (token + '\n').toStdString());
    ::umask(saved);
    if (!written) {
        return written.error();
    }
    return token;
}

std::filesystem::path TokenFilePath() {
    return WritableProgramFolder() / "lumivod.token";
}

bool BearerMatches(const QByteArray& header, const QByteArray& token) {
    static const QByteArray kScheme = QByteArrayLiteral("Bearer ");
    const bool schemed = header.startsWith(kScheme);
    const QByteArray given = Digest(schemed ? header.mid(kScheme.size()).trimmed() : QByteArray());
    const QByteArray wanted = Digest(token);
    unsigned char difference = 0;
    for (qsizetype i = 0; i < wanted.size(); ++i) {
        difference |= static_cast<unsigned char>(given[i] ^ wanted[i]);
    }
    return schemed && !token.isEmpty() && difference == 0;
}

} // namespace lumivo::service
