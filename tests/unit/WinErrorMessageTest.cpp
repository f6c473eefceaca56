// The host build has no system message table, so these exercise the built-in table
// and the generic text; the system path is tested under Wine.
#include "NoCrtLib/WinErrorMessage.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>

TEST(WinErrorMessage, HostHasNoSystemMessages) {
    std::string text = "untouched";
    EXPECT_FALSE(SystemMessageText(2, text));
}

TEST(WinErrorMessage, BuiltInTableTexts) {
    struct Case {
        uint32_t code;
        const char* text;
    };
    const Case cases[] = {
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
        {2245, "The password does not meet the password policy requirements. Check the minimum password length, password complexity and password history requirements."},
        {2351, "This computer name is invalid."},
        {10004, "A blocking operation was interrupted by a call to WSACancelBlockingCall."},
        {10009, "The file handle supplied is not valid."},
        {10013, "An attempt was made to access a socket in a way forbidden by its access permissions."},
        {10014, "The system detected an invalid pointer address in attempting to use a pointer argument in a call."},
        {10022, "An invalid argument was supplied."},
        {10035, "A non-blocking socket operation could not be completed immediately."},
        {10036, "A blocking operation is currently executing."},
        {10037, "An operation was attempted on a non-blocking socket that already had an operation in progress."},
        {10048, "Only one usage of each socket address (protocol/network address/port is normally permitted."},
        {10049, "The requested address is not valid in its context."},
        {10050, "A socket operation encountered a dead network."},
        {10052, "The connection has been broken due to keep-alive activity detecting a failure while the operation was in progress."},
        {10053, "An established connection was aborted by the software in your host machine."},
        {10054, "An existing connection was forcibly closed by the remote host."},
        {10057, "A request to send or receive data was disallowed because the socket is not connected and (when sending on a datagram socket using a sendto call no address was supplied."},
        {10058, "A request to send or receive data was disallowed because the socket had already been shut down in that direction with a previous shutdown call."},
        {10060, "A connection attempt failed because the connected party did not properly respond after a period of time, or established connection failed because connected host has failed to respond."},
        {10061, "No connection could be made because the target machine actively refused it."},
        {11001, "No such host is known."},
    };
    for (const Case& c : cases) EXPECT_EQ(WinErrorMessage(c.code), c.text) << "code " << c.code;
}

TEST(WinErrorMessage, UnknownCodesGetTheGenericText) {
    struct Case {
        uint32_t code;
        const char* text;
    };
    const Case cases[] = {
        {12345, "Error errorCode 12345 received."},
        {0, "Error errorCode 0 received."},
        {7, "Error errorCode 7 received."},  // between table entries
        {10051, "Error errorCode 10051 received."},
        {0x80070005u, "Error errorCode 2147942405 received."},  // unsigned, never negative
        {0xFFFFFFFFu, "Error errorCode 4294967295 received."},
    };
    for (const Case& c : cases) EXPECT_EQ(WinErrorMessage(c.code), c.text) << "code " << c.code;
}

TEST(WinErrorText, DecimalUpTo99999ThenHexadecimal) {
    struct Case {
        uint32_t code;
        const char* text;
    };
    const Case cases[] = {
        {5, "Windows error 5: Access is denied."},
        {2, "Windows error 2: The system cannot find the file specified."},
        {0, "Windows error 0: Error errorCode 0 received."},
        {12345, "Windows error 12345: Error errorCode 12345 received."},
        {99999, "Windows error 99999: Error errorCode 99999 received."},
        {100000, "Windows error 0x000186a0: Error errorCode 100000 received."},
        {0x80070005u, "Windows error 0x80070005: Error errorCode 2147942405 received."},
        {0xFFFFFFFFu, "Windows error 0xffffffff: Error errorCode 4294967295 received."},
    };
    for (const Case& c : cases) EXPECT_EQ(WinErrorText(c.code), c.text) << "code " << c.code;
}
