#include "app/WebPages.h"

#include <QCoreApplication>
#include <QUrl>
#include <array>

#include "app/AppSettings.h"

namespace {

// The project has no store, forum or social pages of its own yet: until it does, no address
// is built in, and a user never lands on a page that is not ours.
constexpr std::array<WebPages::Page, 6> kPages{{
    {"BuySongs", "Buy Songs", "", ""},
    {"Updates", "Check for Updates", "Open Ivolde website", ""},
    {"Support", "Online Support", "Open Ivolde Support", ""},
    {"Forum", "Ask the Ivolde Community", "Open Ivolde Forum", ""},
    {"Facebook", "Visit Us on Facebook", "Open Ivolde Facebook", ""},
    {"Affiliate", "Become an Ivolde Affiliate", "Open Ivolde Affiliate", ""},
}};

}  // namespace

const WebPages::Page* WebPages::Find(const QString& key) {
    for (const Page& p : kPages) {
        if (key == QLatin1String(p.key)) {
            return &p;
        }
    }
    return nullptr;
}

QString WebPages::Address(AppSettings& settings, const QString& key) {
    const Page* page = Find(key);
    if (page == nullptr) {
        return QString();
    }
    const QString stored = settings.ReadString(QString::fromLatin1(kSection), key).trimmed();
    const QString address = stored.isEmpty() ? QString::fromLatin1(page->address) : stored;
    const QUrl url(address, QUrl::StrictMode);
    // Only web addresses are opened: a stored "file:" or program URL is not followed.
    if (!url.isValid() ||
        (url.scheme() != QLatin1String("https") && url.scheme() != QLatin1String("http"))) {
        return QString();
    }
    return address;
}

QString WebPages::NoAddressText(const QString& key) {
    const Page* page = Find(key);
    const QString caption = page ? QCoreApplication::translate("WebPages", page->caption) : key;
    return QCoreApplication::translate(
               "WebPages",
               "No web address is set for \"%1\" in this version of Quilm.\n\nAn address can be "
               "given in the settings file, section [%2], key %3.")
        .arg(caption, QString::fromLatin1(kSection), key);
}
