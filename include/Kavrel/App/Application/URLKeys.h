#pragma once

#include <map>
#include <string>

namespace Kavrel
{

/// Every web link a product shows is named by one of these keys, never by an
/// address. The values are part of the interface with the links manager.
enum URLKeys
{
    VIDEOBLOCKS_URL_other_import = 1,
    AUDIOBLOCKS_URL_other_import = 2,
    GRAPHICSTOCK_URL_other_import = 3,
    HOW_TO_CREATE_SLIDESHOW_URL_newprojectdialog = 5,
    USER_GUIDE_URL_newprojectdialog = 6,
    INTELMEDIA_ENCODING_MORE_URL_settings = 7,
    FAQ_URL_menu = 8,
    HOMEPAGE_URL_menu = 16,
    HOMEPAGE_URL_menuabout = 17,
    HOMEPAGE_URL_socialtab = 18,
    DOWNLOAD_URL_checkupdatest = 19,
    HELP_URL_menu = 21,
    GET_LAME_URL = 22,
    LIVECHAT_URL_menu = 23,
    LIVECHAT_URL_other = 24,
    CONTACT_SUPPORT_menu = 31,
    GET_MORE_SOFTWARE_URL_menu = 32,
    CUSTOM_ABOUT_URL = 33,
    CUSTOM_ABOUT_CAPTION_URL = 34,
    THANK_FOR_INSTALL_URL = 35,
    THANK_FOR_REINSTALL_URL = 36,
    FORUM_URL_socialtab = 37,
    FORUM_URL_menu = 38,
    FACEBOOK_URL_socialtab = 39,
    FACEBOOK_URL_menu = 40,
    ODNOKLASSNIKI_URL_socialtab = 41,
    ODNOKLASSNIKI_URL_menu = 42,
    GOOGLE_PLUS_URL_socialtab = 43,
    GOOGLE_PLUS_URL_menu = 44,
    VKONTAKTE_URL_socialtab = 45,
    VKONTAKTE_URL_menu = 46,
    YOU_TUBE_URL_socialtab = 47,
    YOU_TUBE_URL_menu = 48,
    CHECK_FOR_UPDATES_URL = 54,
    CHANGELOG_URL = 55,
};

#define KAVREL_URL_KEY_NAME(key)                                                                             \
    {                                                                                                        \
        key, #key                                                                                            \
    }

/// Each key's name, in ascending key order. Every file that includes this
/// header has its own copy.
static const std::map<URLKeys, std::string> URLKeyNames = {
    KAVREL_URL_KEY_NAME(VIDEOBLOCKS_URL_other_import),
    KAVREL_URL_KEY_NAME(AUDIOBLOCKS_URL_other_import),
    KAVREL_URL_KEY_NAME(GRAPHICSTOCK_URL_other_import),
    KAVREL_URL_KEY_NAME(HOW_TO_CREATE_SLIDESHOW_URL_newprojectdialog),
    KAVREL_URL_KEY_NAME(USER_GUIDE_URL_newprojectdialog),
    KAVREL_URL_KEY_NAME(INTELMEDIA_ENCODING_MORE_URL_settings),
    KAVREL_URL_KEY_NAME(FAQ_URL_menu),
    KAVREL_URL_KEY_NAME(HOMEPAGE_URL_menu),
    KAVREL_URL_KEY_NAME(HOMEPAGE_URL_menuabout),
    KAVREL_URL_KEY_NAME(HOMEPAGE_URL_socialtab),
    KAVREL_URL_KEY_NAME(DOWNLOAD_URL_checkupdatest),
    KAVREL_URL_KEY_NAME(HELP_URL_menu),
    KAVREL_URL_KEY_NAME(GET_LAME_URL),
    KAVREL_URL_KEY_NAME(LIVECHAT_URL_menu),
    KAVREL_URL_KEY_NAME(LIVECHAT_URL_other),
    KAVREL_URL_KEY_NAME(CONTACT_SUPPORT_menu),
    KAVREL_URL_KEY_NAME(GET_MORE_SOFTWARE_URL_menu),
    KAVREL_URL_KEY_NAME(CUSTOM_ABOUT_URL),
    KAVREL_URL_KEY_NAME(CUSTOM_ABOUT_CAPTION_URL),
    KAVREL_URL_KEY_NAME(THANK_FOR_INSTALL_URL),
    KAVREL_URL_KEY_NAME(THANK_FOR_REINSTALL_URL),
    KAVREL_URL_KEY_NAME(FORUM_URL_socialtab),
    KAVREL_URL_KEY_NAME(FORUM_URL_menu),
    KAVREL_URL_KEY_NAME(FACEBOOK_URL_socialtab),
    KAVREL_URL_KEY_NAME(FACEBOOK_URL_menu),
    KAVREL_URL_KEY_NAME(ODNOKLASSNIKI_URL_socialtab),
    KAVREL_URL_KEY_NAME(ODNOKLASSNIKI_URL_menu),
    KAVREL_URL_KEY_NAME(GOOGLE_PLUS_URL_socialtab),
    KAVREL_URL_KEY_NAME(GOOGLE_PLUS_URL_menu),
    KAVREL_URL_KEY_NAME(VKONTAKTE_URL_socialtab),
    KAVREL_URL_KEY_NAME(VKONTAKTE_URL_menu),
    KAVREL_URL_KEY_NAME(YOU_TUBE_URL_socialtab),
    KAVREL_URL_KEY_NAME(YOU_TUBE_URL_menu),
    KAVREL_URL_KEY_NAME(CHECK_FOR_UPDATES_URL),
    KAVREL_URL_KEY_NAME(CHANGELOG_URL),
};

#undef KAVREL_URL_KEY_NAME

} // namespace Kavrel
