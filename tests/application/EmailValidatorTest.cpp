// The e-mail validator: the addresses people complain about being refused,
// malformed ones, and text that can still become an address.
#include <Kavrel/Util/EmailValidator.h>

#include <QValidator>

#include <gtest/gtest.h>

#include <memory>

namespace
{
TEST(EmailValidator, judgesEachAddress)
{
    std::unique_ptr<QValidator> validator(Kavrel::Util::GetEmailValidator(nullptr));
    const std::pair<QValidator::State, std::vector<const char*>> cases[] = {
        {QValidator::Acceptable,
         {"user@example.com", "first.last+newsletter@example.com", "user@mail.eu.sub.example.co.uk",
          "user@studio.photography", "\"john doe\"@example.com", "\"odd@\\\"quoted\\\"\"@example.org",
          "o'brien_2@example.ie", "user@пример.рф", "user@xn--e1afmkfd.xn--p1ai"}},
        {QValidator::Intermediate,
         {"", "user@", "user@example", "user@example.c", "\"john doe", "user@192.168.0.1"}},
        {QValidator::Invalid,
         {"user@@example.com", "user name@example.com", ".user@example.com", "user..name@example.com",
          "user.@example.com", "us\"er@example.com", "user@-example.com", "user@example-.com",
          "user@example..com", "user@exa_mple.com", "почта@example.com"}}};
    for (const auto& [state, inputs] : cases)
        for (const char* text : inputs)
        {
            QString input = QString::fromUtf8(text);
            int pos = input.size();
            EXPECT_EQ(validator->validate(input, pos), state) << text;
        }
}

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
