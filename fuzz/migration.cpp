// The older generation's settings as the one-time migration walks them
// (here the settings file that stands for the registry branch): whatever the
// file holds, the migration ends marked done; the values it was told to
// delete are gone, those it was told to convert hold their text re-decoded
// as UTF-8, and every other value is as it was. The expectations are checked
// on keys of plain names at a sensible depth; the walk must cope with the
// rest.
#include "FuzzSupport.h"

#include <Kavrel/App/Application/MigrateSettingsFromQt4ToQt5.h>
#include <Kavrel/Util/CheckedSettingsFormat.h>
#include <Kavrel/Util/NativeSettingsPath.h>

#include <QCoreApplication>
#include <QRegularExpression>
#include <QSettings>

#include <fcntl.h>
#include <map>
#include <set>
#include <sys/stat.h>

namespace
{
int argc = 1;
char name[] = "fuzz_migration";
char* argv[] = {name, nullptr};
long long serial = 0;
const std::string PRODUCT = "Fuzz";

bool Plain(const QString& key)
{
    static const QRegularExpression plain(QStringLiteral("^[A-Za-z0-9_]{1,40}(/[A-Za-z0-9_]{1,40}){0,7}$"));
    return plain.match(key).hasMatch() &&
           key != Kavrel::App::MigrateSettingsFromQt4ToQt5::isConvertSettingsStringFromQt4ToQt5;
}

QString Leaf(const QString& key) { return key.section(QLatin1Char('/'), -1); }

// What converting does to a value: the low byte of each unit up to the first
// zero byte, decoded as UTF-8.
QString Converted(const QString& text)
{
    QByteArray bytes;
    for (const QChar unit : text)
    {
        if ((unit.unicode() & 0xFF) == 0)
            break;
        bytes.append(static_cast<char>(unit.unicode() & 0xFF));
    }
    return QString::fromUtf8(bytes);
}
} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    Kavrel::Fuzz::Prepare();
    new QCoreApplication(argc, argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, size_t size)
{
    const QString file = Kavrel::Util::NativeSettingsPath(QStringLiteral("HKEY_CURRENT_USER\\Software\\Kavrel\\") +
                                                          QString::fromStdString(PRODUCT));
    Kavrel::Fuzz::WriteFile(file.toStdString(), data, size);
    // QSettings re-reads a file it knows only when its size or time changed.
    const struct timespec times[2] = {{1000000000 + ++serial, 0}, {1000000000 + serial, 0}};
    ::utimensat(AT_FDCWD, file.toLocal8Bit().constData(), times, 0);

    std::map<QString, QVariant> before;
    {
        QSettings settings(file, Kavrel::Util::CheckedSettingsFormat(QSettings::IniFormat));
        for (const QString& key : settings.allKeys())
            before[key] = settings.value(key);
    }
    const bool ran = Kavrel::App::NeedMigrateProductSettingsFromQt4ToQt5(PRODUCT);
    // Every third key's name is deleted, the next one's converted.
    std::vector<std::string> convert, remove;
    std::set<QString> converted, removed;
    int index = 0;
    for (const auto& entry : before)
    {
        const QString leaf = Leaf(entry.first);
        if (index % 3 == 0)
            remove.push_back(leaf.toStdString()), removed.insert(leaf);
        else if (index % 3 == 1)
            convert.push_back(leaf.toStdString()), converted.insert(leaf);
        if (++index == 30)
            break;
    }
    converted.insert(QStringLiteral("PreferredBrowser"));
    converted.insert(QStringLiteral("DateOfFirstStart"));
    Kavrel::App::MigrateProductSettingsFromQt4ToQt5(PRODUCT, convert, remove);
    KAVREL_FUZZ_EXPECT(!Kavrel::App::NeedMigrateProductSettingsFromQt4ToQt5(PRODUCT));
    if (!ran)
        return 0;

    QSettings after(file, Kavrel::Util::CheckedSettingsFormat(QSettings::IniFormat));
    for (const auto& [key, value] : before)
    {
        if (!Plain(key))
            continue;
        const QString leaf = Leaf(key);
        if (removed.count(leaf))
        {
            if (after.contains(key))
                std::fprintf(stderr, "key [%s] was to be deleted\n", qUtf8Printable(key));
            KAVREL_FUZZ_EXPECT(!after.contains(key));
            continue;
        }
        // Values of other types are read as text too; only text is checked.
        if (value.userType() != QMetaType::QString)
            continue;
        const QString text = value.toString();
        // Values of more than 520 bytes with their terminator are left alone, as the registry's would be.
        const QVariant expected =
            converted.count(leaf) && (text.size() + 1) * 2 <= 520 ? QVariant(Converted(text)) : value;
        if (after.value(key).toString() != expected.toString())
            std::fprintf(stderr, "key [%s]: was [%s], is [%s], expected [%s]\n", qUtf8Printable(key),
                         qUtf8Printable(text), qUtf8Printable(after.value(key).toString()),
                         qUtf8Printable(expected.toString()));
        KAVREL_FUZZ_EXPECT(after.value(key).toString() == expected.toString());
    }
    return 0;
}
