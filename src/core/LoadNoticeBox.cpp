#include "LoadNoticeBox.h"

#include "AppContext.h"
#include "platform/MessageBox.h"

namespace tanzo {

void showLoadNotice(ScheduleStore& schedule) {
    const QString text = schedule.takeLoadNotice();
    if (!text.isEmpty())
        msgbox::open(nullptr, msgbox::Icon::Critical, kAppTitle, text);
}

} // namespace tanzo
