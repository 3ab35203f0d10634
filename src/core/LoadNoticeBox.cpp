#include "LoadNoticeBox.h"

#include "AppContext.h"
#include "platform/MessageBox.h"

namespace tanzo {

void showLoadNotice(DataFile& file) {
    const QString text = file.takeLoadNotice();
    if (!text.isEmpty())
        msgbox::show(nullptr, msgbox::Icon::Critical, kAppTitle, text);
}

} // namespace tanzo
