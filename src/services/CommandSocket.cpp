#include "CommandSocket.h"

#include "platform/RuntimeDirectory.h"

namespace tanzo {

QString commandSocketPath(QString* error) {
    const QString directory = privateRuntimeDirectory(error);
    return directory.isEmpty() ? QString() : directory + QStringLiteral("/tanzo-commands");
}

} // namespace tanzo
