// A data source manager that answers as a test needs it to: one source whose
// count of -1 is refused with TWRC_CHECKSTATUS (its own count is 3), and
// whose only pending page cannot be described. Every call is logged.

#include <cstdlib>
#include <cstring>
#include <string>

#include "twain/twain_types.h"

namespace {

std::string calls;
TW_PARENT parent{};
TW_UINT16 condition = TWCC_SUCCESS;
bool xferReadySent = false;

TW_UINT16 Fail(TW_UINT16 code) {
    condition = code;
    return TWRC_FAILURE;
}

}  // namespace

extern "C" __attribute__((visibility("default"))) const char* ScriptedCalls() {
    return calls.c_str();
}

extern "C" __attribute__((visibility("default"))) TW_UINT16 DSM_Entry(TW_IDENTITY*, TW_IDENTITY*,
                                                                      TW_UINT32 group,
                                                                      TW_UINT16 dataType,
                                                                      TW_UINT16 message,
                                                                      TW_MEMREF data) {
    if (dataType == DAT_STATUS) {
        static_cast<TW_STATUS*>(data)->ConditionCode = condition;
        return TWRC_SUCCESS;
    }
    if (group == DG_IMAGE && dataType == DAT_IMAGEINFO) {
        calls += "IMAGEINFO ";
        return Fail(TWCC_BUMMER);
    }
    switch (dataType) {
        case DAT_PARENT:
            if (message == MSG_OPENDSM) parent = *static_cast<TW_PARENT*>(data);
            return TWRC_SUCCESS;
        case DAT_IDENTITY:
            if (message == MSG_GETNEXT) return TWRC_ENDOFLIST;
            if (message == MSG_GETFIRST || message == MSG_GETDEFAULT || message == MSG_USERSELECT)
                std::strcpy(static_cast<TW_IDENTITY*>(data)->ProductName, "Scripted");
            return TWRC_SUCCESS;
        case DAT_CAPABILITY: {
            auto* capability = static_cast<TW_CAPABILITY*>(data);
            if (message == MSG_GET) {
                auto* value = static_cast<TW_ONEVALUE*>(std::malloc(sizeof(TW_ONEVALUE)));
                *value = TW_ONEVALUE{TWTY_INT16, 3};
                capability->ConType = TWON_ONEVALUE;
                capability->hContainer = value;
                calls += "GET ";
                return TWRC_SUCCESS;
            }
            const auto* value = static_cast<const TW_ONEVALUE*>(capability->hContainer);
            calls += "SET" + std::to_string(value->ItemType) + ":" +
                     std::to_string(static_cast<TW_INT16>(value->Item)) + " ";
            return static_cast<TW_INT16>(value->Item) == -1 ? TWRC_CHECKSTATUS : TWRC_SUCCESS;
        }
        case DAT_USERINTERFACE:
            if (message == MSG_ENABLEDS) parent.wake(parent.window);
            return TWRC_SUCCESS;
        case DAT_EVENT: {
            auto* event = static_cast<TW_EVENT*>(data);
            if (xferReadySent) return TWRC_NOTDSEVENT;
            xferReadySent = true;
            event->TWMessage = MSG_XFERREADY;
            return TWRC_DSEVENT;
        }
        case DAT_PENDINGXFERS:
            calls += message == MSG_RESET ? "RESET " : "ENDXFER ";
            static_cast<TW_PENDINGXFERS*>(data)->Count = 0;
            return TWRC_SUCCESS;
    }
    return Fail(TWCC_BADPROTOCOL);
}
