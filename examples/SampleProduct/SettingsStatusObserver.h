#pragma once

#include <Kavrel/App/Application/ISettingsManagerObserver.h>

#include <QObject>
#include <QString>

// Turns every settings change into a line of text for the status bar.
class SettingsStatusObserver : public QObject, public Kavrel::App::ISettingsManagerObserver
{
    Q_OBJECT
public:
    using QObject::QObject;

    void OnBoolChanged(const std::string& key, bool value, const boost::optional<bool>& previous) override;
    void OnIntChanged(const std::string& key, int value, const boost::optional<int>& previous) override;
    void OnStringChanged(const std::string& key, const std::string& value,
                         const boost::optional<std::string>& previous) override;
    void OnByteArrayChanged(const std::string& key, const std::vector<unsigned char>& value,
                            const boost::optional<std::vector<unsigned char>>& previous) override;
    void OnInt64Changed(const std::string& key, long long value,
                        const boost::optional<long long>& previous) override;
    void OnDoubleChanged(const std::string& key, double value,
                         const boost::optional<double>& previous) override;

Q_SIGNALS:
    void Changed(const QString& message);
    // A text value changed, here or in another instance of the product.
    void TextChanged(const QString& key, const QString& value);

private:
    void Report(const std::string& key, const QString& value, const boost::optional<QString>& previous);
};
