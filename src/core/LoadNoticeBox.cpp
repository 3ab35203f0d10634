#include "LoadNoticeBox.h"

#include "AppContext.h"
#include "platform/Prompts.h"

namespace tanzo {

void showLoadNotice(ScheduleStore& schedule, Prompts& prompts) {
    const QString text = schedule.takeLoadNotice();
    if (!text.isEmpty())
        prompts.open(nullptr, msgbox::Icon::Critical, kAppTitle, text);
}

} // namespace tanzo
