#pragma once
// A port handler that raises (a "Read error" or "Write error" of the port) ends the session's
// transfer with that message instead of leaving the dialog half-way. Both dialog families use
// it for their Comm1.

#include "serial/comm.h"

#include <exception>

namespace bv3::transfer {

template <class Session>
void abandonOnHandlerFailure(serial::TComm& comm, Session& session) {
    comm.OnHandlerException = [&session](serial::TComm&, std::exception_ptr error) {
        try {
            std::rethrow_exception(error);
        } catch (const std::exception& failure) {
            session.abandon(failure.what());
        }
    };
}

}  // namespace bv3::transfer
