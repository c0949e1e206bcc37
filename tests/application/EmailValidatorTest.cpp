// The e-mail validator: the addresses people complain about being refused,
// malformed ones, and text that can still become an address.
#include <Kavrel/Util/EmailValidator.h>

#include <QValidator>

#include <gtest/gtest.h>

#include <memory>

namespace
{
struct Case
{
    const char* input;
    QValidator::State state;
};
void PrintTo(const Case& c, std::ostream* os) { *os << '"' << c.input << '"'; }

class EmailValidatorTest : public ::testing::TestWithParam<Case>
{
};

TEST_P(EmailValidatorTest, judgesTheAddress)
{
    std::unique_ptr<QValidator> validator(Kavrel::Util::GetEmailValidator(nullptr));
    QString input = QString::fromUtf8(GetParam().input);
    int pos = input.size();
    EXPECT_EQ(validator->validate(input, pos), GetParam().state) << GetParam().input;
}

INSTANTIATE_TEST_SUITE_P(
    Addresses, EmailValidatorTest,
    ::testing::Values(
        Case{"user@example.com", QValidator::Acceptable},
        Case{"first.last+newsletter@example.com", QValidator::Acceptable},
        Case{"user@mail.eu.sub.example.co.uk", QValidator::Acceptable},
        Case{"user@studio.photography", QValidator::Acceptable},
        Case{"\"john doe\"@example.com", QValidator::Acceptable},
        Case{"\"odd@\\\"quoted\\\"\"@example.org", QValidator::Acceptable},
        Case{"o'brien_2@example.ie", QValidator::Acceptable}, Case{"user@пример.рф", QValidator::Acceptable},
        Case{"user@xn--e1afmkfd.xn--p1ai", QValidator::Acceptable}, Case{"", QValidator::Intermediate},
        Case{"user@", QValidator::Intermediate}, Case{"user@example", QValidator::Intermediate},
        Case{"user@example.c", QValidator::Intermediate}, Case{"\"john doe", QValidator::Intermediate},
        Case{"user@192.168.0.1", QValidator::Intermediate}, Case{"user@@example.com", QValidator::Invalid},
        Case{"user name@example.com", QValidator::Invalid}, Case{".user@example.com", QValidator::Invalid},
        Case{"user..name@example.com", QValidator::Invalid}, Case{"user.@example.com", QValidator::Invalid},
        Case{"us\"er@example.com", QValidator::Invalid}, Case{"user@-example.com", QValidator::Invalid},
        Case{"user@example-.com", QValidator::Invalid}, Case{"user@example..com", QValidator::Invalid},
        Case{"user@exa_mple.com", QValidator::Invalid}, Case{"почта@example.com", QValidator::Invalid}));

TEST(EmailValidatorLimits, tooLongPartsAreRefusedAndPastedSpacesTrimmed)
{
    std::unique_ptr<QValidator> validator(Kavrel::Util::GetEmailValidator(nullptr));
    QString input = QString(65, QLatin1Char('a')) + QStringLiteral("@example.com");
    int pos = 0;
    EXPECT_EQ(validator->validate(input, pos), QValidator::Invalid) << "65 octets before the @";
    input = QStringLiteral("a@") + QString(246, QLatin1Char('b')) + QStringLiteral(".com");
    EXPECT_EQ(validator->validate(input, pos), QValidator::Invalid) << "255 characters";
    input = QStringLiteral("  user@example.com \t");
    pos = input.size();
    EXPECT_EQ(validator->validate(input, pos), QValidator::Acceptable);
    EXPECT_EQ(input, QStringLiteral("user@example.com"));
    EXPECT_EQ(pos, input.size());
}
} // namespace
