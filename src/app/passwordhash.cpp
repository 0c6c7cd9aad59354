#include "app/passwordhash.h"

#include <sodium.h>

namespace PasswordHash {

namespace {
bool ready()
{
    static const bool ok = sodium_init() >= 0;
    return ok;
}
} // namespace

QString hash(const QString &password)
{
    if (!ready())
        return QString();
    const QByteArray clear = password.toUtf8();
    char out[crypto_pwhash_STRBYTES];
    if (crypto_pwhash_str(out, clear.constData(), static_cast<unsigned long long>(clear.size()),
                          crypto_pwhash_OPSLIMIT_INTERACTIVE, crypto_pwhash_MEMLIMIT_INTERACTIVE) != 0)
        return QString();
    return QString::fromLatin1(out);
}

bool verify(const QString &stored, const QString &typed)
{
    if (!ready())
        return false;
    const QByteArray str = stored.trimmed().toLatin1();
    if (str.isEmpty() || str.size() >= crypto_pwhash_STRBYTES)
        return false;
    const QByteArray clear = typed.toUtf8();
    return crypto_pwhash_str_verify(str.constData(), clear.constData(),
                                    static_cast<unsigned long long>(clear.size())) == 0;
}

} // namespace PasswordHash
