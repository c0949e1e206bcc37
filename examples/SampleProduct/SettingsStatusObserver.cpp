#include "SettingsStatusObserver.h"

#include <QVariant>

namespace
{
template <class T> boost::optional<QString> Text(const boost::optional<T>& value)
{
    if (!value)
        return boost::none;
    return QVariant::fromValue(*value).toString();
}

QString Bytes(const std::vector<unsigned char>& value)
{
    return SettingsStatusObserver::tr("%n byte(s)", nullptr, static_cast<int>(value.size()));
}

QString OnOff(bool value)
{
    //: A switch's state, as in "Player/Shuffle changed from off to on".
    const QString on = SettingsStatusObserver::tr("on");
    //: A switch's state, as in "Player/Shuffle changed from on to off".
    const QString off = SettingsStatusObserver::tr("off");
    return value ? on : off;
}
} // namespace

void SettingsStatusObserver::Report(const std::string& key, const QString& value,
                                    const boost::optional<QString>& previous)
{
    const QString name = QString::fromStdString(key);
    Q_EMIT Changed(previous ? tr("%1 changed from %2 to %3").arg(name, *previous, value)
                            : tr("%1 set to %2").arg(name, value));
}

void SettingsStatusObserver::OnBoolChanged(const std::string& key, bool value,
                                           const boost::optional<bool>& previous)
{
    Report(key, OnOff(value), previous ? boost::optional<QString>(OnOff(*previous)) : boost::none);
}

void SettingsStatusObserver::OnIntChanged(const std::string& key, int value,
                                          const boost::optional<int>& previous)
{
    Report(key, QString::number(value), Text(previous));
}

void SettingsStatusObserver::OnStringChanged(const std::string& key, const std::string& value,
                                             const boost::optional<std::string>& previous)
{
    Report(key, QString::fromStdString(value),
           previous ? boost::optional<QString>(QString::fromStdString(*previous)) : boost::none);
    Q_EMIT TextChanged(QString::fromStdString(key), QString::fromStdString(value));
}

void SettingsStatusObserver::OnByteArrayChanged(const std::string& key,
                                                const std::vector<unsigned char>& value,
                                                const boost::optional<std::vector<unsigned char>>& previous)
{
    Report(key, Bytes(value), previous ? boost::optional<QString>(Bytes(*previous)) : boost::none);
}

void SettingsStatusObserver::OnInt64Changed(const std::string& key, long long value,
                                            const boost::optional<long long>& previous)
{
    Report(key, QString::number(value), Text(previous));
}

void SettingsStatusObserver::OnDoubleChanged(const std::string& key, double value,
                                             const boost::optional<double>& previous)
{
    Report(key, QString::number(value), Text(previous));
}
