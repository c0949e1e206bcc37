#pragma once

#include <Kavrel/App/Application/ISettingsManager.h>
#include <Kavrel/Media/IPolicyEx.h>

#include <QMenu>

#include <boost/shared_ptr.hpp>

// The Codecs menu: for a few real codecs, whether the player prefers its
// hardware decoder, never uses it, or uses the software one alone. The
// choices are a media policy, loaded from the product store at start and
// saved to it after every change.
class CodecsMenu : public QMenu
{
    Q_OBJECT
public:
    CodecsMenu(boost::shared_ptr<Kavrel::App::ISettingsManager> store, QWidget* parent);
    void Retranslate();

private:
    void Save();

    boost::shared_ptr<Kavrel::App::ISettingsManager> store;
    Kavrel::Proc::PolicyPtr policy;
};
