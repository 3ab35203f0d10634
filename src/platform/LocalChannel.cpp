#include "LocalChannel.h"

#include "PluginModule.h"

namespace tanzo {
namespace {

using CreateListener = ChannelListener* (*)(const ChannelListener::RequestHandler&);
using Exchange = void (*)(const QString&, const QByteArray&, qint64, ChannelExchange*);

template <typename Function> Function channelFunction(const char* symbol) {
    return reinterpret_cast<Function>(resolveModuleSymbol(TANZO_CHANNEL_MODULE_FILE, symbol));
}

} // namespace

std::unique_ptr<ChannelListener> createChannelListener(ChannelListener::RequestHandler handler) {
    static const auto create = channelFunction<CreateListener>("tanzo_create_channel_listener");
    if (!create)
        return nullptr;
    return std::unique_ptr<ChannelListener>(create(handler));
}

ChannelExchange exchangeOverChannel(const QString& path, const QByteArray& request,
                                    qint64 giveUpAtMs) {
    static const auto exchange = channelFunction<Exchange>("tanzo_exchange_over_channel");
    ChannelExchange result;
    if (exchange)
        exchange(path, request, giveUpAtMs, &result);
    return result;
}

} // namespace tanzo
