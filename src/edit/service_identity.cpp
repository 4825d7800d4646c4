#include "edit/service_identity.h"

namespace bv3::edit {

std::optional<TsNumbers> tsNumbersOf(const channeldb::ChannelDatabase& db, const channeldb::ServiceRecord& service) {
    if (service.tsIndex >= db.tsCount) {
        return std::nullopt;
    }
    const channeldb::TsRecord& t = db.transportStreams[service.tsIndex];
    return TsNumbers{t.tsWordC, t.tsLongA, t.tsLongB, t.tsByteA, t.tsByteB, t.tsWordA, t.tsWordB};
}

ServiceWords serviceWordsOf(const channeldb::ServiceRecord& service) {
    return {service.svcWordA, service.svcWordB, service.svcWordC, service.svcWordD, service.svcWordG};
}

}  // namespace bv3::edit
