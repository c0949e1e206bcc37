// The e-mail validator: the addresses people complain about being refused,
// malformed ones, and text that can still become an address.
#include <Kavrel/Util/EmailValidator.h>

#include <QValidator>

#include <gtest/gtest.h>

#include <memory>

namespace
{
// Parts too long are refused: 65 octets before the @, 255 characters in all.
TEST(EmailValidator, judgesEachAddressAndTrimsPastedSpaces)
{
    std::unique_ptr<QValidator> validator(Kavrel::Util::GetEmailValidator(nullptr));
    const std::pair<QValidator::State, std::vector<std::string>> cases[] = {
        {QValidator::Acceptable,
         {"user@example.com", "first.last+newsletter@example.com", "user@mail.eu.sub.example.co.uk",
          "user@studio.photography", "\"john doe\"@example.com", "\"odd@\\\"quoted\\\"\"@example.org",
          "o'brien_2@example.ie", "user@пример.рф", "user@xn--e1afmkfd.xn--p1ai"}},
        {QValidator::Intermediate,
         {"", "user@", "user@example", "user@example.c", "\"john doe", "user@192.168.0.1"}},
        {QValidator::Invalid,
         {"user@@example.com", "user name@example.com", ".user@example.com", "user..name@example.com",
          "user.@example.com", "us\"er@example.com", "user@-example.com", "user@example-.com",
          "user@example..com", "user@exa_mple.com", "почта@example.com",
          std::string(65, 'a') + "@example.com", "a@" + std::string(246, 'b') + ".com"}}};
    for (const auto& [state, inputs] : cases)
        for (const std::string& text : inputs)
        {
            QString input = QString::fromStdString(text);
            int pos = input.size();
            EXPECT_EQ(validator->validate(input, pos), state) << text;
        }
    QString input = QStringLiteral("  user@example.com \t");
    int pos = input.size();
    EXPECT_EQ(validator->validate(input, pos), QValidator::Acceptable);
    EXPECT_EQ(input, QStringLiteral("user@example.com"));
    EXPECT_EQ(pos, input.size());
}
} // namespace
