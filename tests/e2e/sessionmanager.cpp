// A session manager of the X session protocol, as small as the tests need:
// it takes clients, and when a line "logout" comes on its input it asks each
// of them to save itself for the end of the session, as a desktop's logout
// does, then to die once it has. It prints where clients reach it
// ("SESSION_MANAGER=..."), and what each client does: "registered", "saved"
// (with the outcome), "gone" when its connection closes. It ends when its
// input does.

#include <X11/ICE/ICElib.h>
#include <X11/SM/SMlib.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <poll.h>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

std::vector<SmsConn> clients;
std::vector<IceConn> connections;

void say(const char *what)
{
    std::printf("%s\n", what);
    std::fflush(stdout);
}

Bool anyHost(char *)
{
    return True;
}

Status registerClient(SmsConn client, SmPointer, char *)
{
    char *id = SmsGenerateClientID(client);
    SmsRegisterClientReply(client, id);
    std::free(id);
    clients.push_back(client);
    say("registered");
    return 1;
}

void interactRequest(SmsConn client, SmPointer, int)
{
    SmsInteract(client);
}

void interactDone(SmsConn, SmPointer, Bool) {}

void saveYourselfRequest(SmsConn, SmPointer, int, Bool, int, Bool, Bool) {}

void phase2Request(SmsConn client, SmPointer)
{
    SmsSaveYourselfPhase2(client);
}

void saveYourselfDone(SmsConn client, SmPointer, Bool success)
{
    say(success ? "saved" : "saved with a failure");
    SmsDie(client);
}

void forget(SmsConn client)
{
    clients.erase(std::remove(clients.begin(), clients.end(), client), clients.end());
}

void closeConnection(SmsConn client, SmPointer, int count, char **reasons)
{
    SmFreeReasons(count, reasons);
    forget(client);
    SmsCleanUp(client);
}

void setProperties(SmsConn, SmPointer, int count, SmProp **properties)
{
    for (int i = 0; i < count; ++i)
        SmFreeProperty(properties[i]);
    std::free(properties);
}

void deleteProperties(SmsConn, SmPointer, int count, char **names)
{
    for (int i = 0; i < count; ++i)
        std::free(names[i]);
    std::free(names);
}

void getProperties(SmsConn client, SmPointer)
{
    SmsReturnProperties(client, 0, nullptr);
}

Status newClient(SmsConn, SmPointer, unsigned long *mask, SmsCallbacks *callbacks, char **)
{
    std::memset(callbacks, 0, sizeof *callbacks);
    callbacks->register_client.callback = registerClient;
    callbacks->interact_request.callback = interactRequest;
    callbacks->interact_done.callback = interactDone;
    callbacks->save_yourself_request.callback = saveYourselfRequest;
    callbacks->save_yourself_phase2_request.callback = phase2Request;
    callbacks->save_yourself_done.callback = saveYourselfDone;
    callbacks->close_connection.callback = closeConnection;
    callbacks->set_properties.callback = setProperties;
    callbacks->delete_properties.callback = deleteProperties;
    callbacks->get_properties.callback = getProperties;
    *mask = (1L << 10) - 1;
    return 1;
}

// A client that goes away is no error of the manager's.
void ignoreError(IceConn) {}

void logout()
{
    for (SmsConn client : clients)
        SmsSaveYourself(client, SmSaveBoth, True, SmInteractStyleAny, False);
    say("asked");
}

bool readInput()
{
    char line[64];
    const ssize_t read = ::read(STDIN_FILENO, line, sizeof line - 1);
    if (read <= 0)
        return false;
    line[read] = 0;
    if (std::strncmp(line, "logout", 6) == 0)
        logout();
    return true;
}

void serve(IceConn connection)
{
    if (IceProcessMessages(connection, nullptr, nullptr) == IceProcessMessagesSuccess)
        return;
    for (SmsConn client : std::vector<SmsConn>(clients))
        if (SmsGetIceConnection(client) == connection)
            forget(client);
    connections.erase(std::remove(connections.begin(), connections.end(), connection),
                      connections.end());
    IceSetShutdownNegotiation(connection, False);
    IceCloseConnection(connection);
    say("gone");
}

} // namespace

int main()
{
    char error[256] = {};
    IceSetIOErrorHandler(ignoreError);
    if (!SmsInitialize("vidizizor-tests", "1", newClient, nullptr, anyHost, sizeof error, error)) {
        std::fprintf(stderr, "SmsInitialize: %s\n", error);
        return 1;
    }
    int count = 0;
    IceListenObj *listening = nullptr;
    if (!IceListenForConnections(&count, &listening, sizeof error, error)) {
        std::fprintf(stderr, "IceListenForConnections: %s\n", error);
        return 1;
    }
    for (int i = 0; i < count; ++i)
        IceSetHostBasedAuthProc(listening[i], anyHost);
    char *ids = IceComposeNetworkIdList(count, listening);
    std::printf("SESSION_MANAGER=%s\n", ids);
    std::fflush(stdout);
    std::free(ids);
    for (;;) {
        std::vector<pollfd> fds{{STDIN_FILENO, POLLIN, 0}};
        for (int i = 0; i < count; ++i)
            fds.push_back({IceGetListenConnectionNumber(listening[i]), POLLIN, 0});
        for (IceConn connection : connections)
            fds.push_back({IceConnectionNumber(connection), POLLIN, 0});
        if (poll(fds.data(), fds.size(), -1) < 0)
            continue;
        if (fds[0].revents && !readInput()) {
            IceFreeListenObjs(count, listening);
            // The socket of its own the library made, which it leaves.
            unlink(("/tmp/.ICE-unix/" + std::to_string(getpid())).c_str());
            return 0;
        }
        for (int i = 0; i < count; ++i) {
            if (!fds[1 + i].revents)
                continue;
            IceAcceptStatus status;
            if (IceConn connection = IceAcceptConnection(listening[i], &status))
                connections.push_back(connection);
        }
        const std::vector<IceConn> open = connections;
        for (size_t i = 0; i < open.size(); ++i)
            if (fds[1 + count + i].revents)
                serve(open[i]);
    }
}
