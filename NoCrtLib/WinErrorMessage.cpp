#include "NoCrtLib/WinErrorMessage.h"

#include <cstdio>

namespace {

// Used only when the system has no text for the code (old systems, stripped message tables).
const char* BuiltInText(uint32_t code) {
    struct Entry {
        uint32_t code;
        const char* text;
    };
    static const Entry table[] = {
        {1, "Incorrect function."},
        {2, "The system cannot find the file specified."},
        {3, "The system cannot find the path specified."},
        {4, "The system cannot open the file."},
        {5, "Access is denied."},
        {6, "The handle is invalid."},
        {8, "Not enough storage is available to process this command."},
        {14, "Not enough storage is available to complete this operation."},
        {86, "The specified network password is not correct."},
        {2221, "The user name could not be found."},
        {2226, "This operation is only allowed on the primary domain controller of the domain."},
        {2245, "The password does not meet the password policy requirements. Check the minimum "
               "password length, password complexity and password history requirements."},
        {2351, "This computer name is invalid."},
        {10004, "A blocking operation was interrupted by a call to WSACancelBlockingCall."},
        {10009, "The file handle supplied is not valid."},
        {10013, "An attempt was made to access a socket in a way forbidden by its access permissions."},
        {10014, "The system detected an invalid pointer address in attempting to use a pointer "
                "argument in a call."},
        {10022, "An invalid argument was supplied."},
        {10035, "A non-blocking socket operation could not be completed immediately."},
        {10036, "A blocking operation is currently executing."},
        {10037, "An operation was attempted on a non-blocking socket that already had an operation "
                "in progress."},
        {10048, "Only one usage of each socket address (protocol/network address/port is normally "
                "permitted."},
        {10049, "The requested address is not valid in its context."},
        {10050, "A socket operation encountered a dead network."},
        {10052, "The connection has been broken due to keep-alive activity detecting a failure while "
                "the operation was in progress."},
        {10053, "An established connection was aborted by the software in your host machine."},
        {10054, "An existing connection was forcibly closed by the remote host."},
        {10057, "A request to send or receive data was disallowed because the socket is not "
                "connected and (when sending on a datagram socket using a sendto call no address "
                "was supplied."},
        {10058, "A request to send or receive data was disallowed because the socket had already "
                "been shut down in that direction with a previous shutdown call."},
        {10060, "A connection attempt failed because the connected party did not properly respond "
                "after a period of time, or established connection failed because connected host "
                "has failed to respond."},
        {10061, "No connection could be made because the target machine actively refused it."},
        {11001, "No such host is known."},
    };
    for (const Entry& e : table) {
        if (e.code == code) return e.text;
    }
    return nullptr;
}

}  // namespace

std::string WinErrorMessage(uint32_t code) {
    std::string text;
    if (SystemMessageText(code, text)) {
        while (!text.empty() && (text.back() == '\n' || text.back() == '\r')) text.pop_back();
        return text;
    }
    if (const char* builtIn = BuiltInText(code)) return builtIn;
    return "Error errorCode " + std::to_string(code) + " received.";
}

std::string WinErrorText(uint32_t code) {
    char head[32];
    std::snprintf(head, sizeof head, code <= 99999 ? "Windows error %lu" : "Windows error 0x%08lx",
                  static_cast<unsigned long>(code));
    std::string text = head;
    std::string message = WinErrorMessage(code);
    if (!message.empty()) text += ": " + message;
    return text;
}
