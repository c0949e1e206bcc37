#include <Kavrel/Util/EmailValidator.h>

#include <QRegularExpressionValidator>

#include <algorithm>

namespace Kavrel::Util
{

namespace
{
// The HTML standard's pattern for <input type="email">, which every browser
// checks, widened where it turns real addresses away: the local part may
// also be an RFC 5322 quoted string, and domain labels may be in any script
// (internationalised domains as typed, or in their "xn--" form). It is
// narrowed where a newsletter cannot deliver: the domain needs a dot and a
// top-level label of letters.
const char ADDRESS_PATTERN[] = R"((?:[A-Za-z0-9!#$%&'*+/=?^_`{|}~-]+(?:\.[A-Za-z0-9!#$%&'*+/=?^_`{|}~-]+)*)"
                               R"(|"(?:[\x20\x21\x23-\x5B\x5D-\x7E]|\\[\x20-\x7E])+"))"
                               R"(@(?:[\p{L}\p{N}](?:[\p{L}\p{M}\p{N}-]{0,61}[\p{L}\p{M}\p{N}])?\.)+)"
                               R"((?:\p{L}{2,63}|xn--[A-Za-z0-9](?:[A-Za-z0-9-]{0,57}[A-Za-z0-9])?))";

// RFC 5321 limits: 64 octets before the "@", 254 characters in all.
constexpr int MAX_LOCAL_PART = 64;
constexpr int MAX_ADDRESS = 254;

class EmailValidator : public QRegularExpressionValidator
{
public:
    explicit EmailValidator(QObject* parent)
        : QRegularExpressionValidator(QRegularExpression(QString::fromLatin1(ADDRESS_PATTERN)), parent)
    {
    }

    State validate(QString& input, int& pos) const override
    {
        const State state = Check(input, pos);
        if (state != Invalid)
            return state;
        // Addresses are often pasted with the spaces around them.
        QString trimmed = input.trimmed();
        int trimmedPos = std::min(pos, static_cast<int>(trimmed.size()));
        if (trimmed.size() == input.size() || Check(trimmed, trimmedPos) != Acceptable)
            return Invalid;
        input = trimmed;
        pos = trimmedPos;
        return Acceptable;
    }

private:
    State Check(QString& input, int& pos) const
    {
        if (input.size() > MAX_ADDRESS)
            return Invalid;
        const State state = QRegularExpressionValidator::validate(input, pos);
        if (state == Acceptable &&
            input.left(input.lastIndexOf(QLatin1Char('@'))).toUtf8().size() > MAX_LOCAL_PART)
            return Invalid;
        return state;
    }
};
} // namespace

QValidator* GetEmailValidator(QObject* parent) { return new EmailValidator(parent); }

} // namespace Kavrel::Util
