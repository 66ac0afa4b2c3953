/* The least a Daytime client can do: resolve, connect to port 13, read the
 * line up to its time field, print that. Usage: bare_daytime_client HOST */
#include <netdb.h>
#include <stdio.h>
#include <sys/socket.h>
#include <unistd.h>

int main(int argc, char** argv) {
    struct addrinfo hints = {0};
    struct addrinfo* address = NULL;
    char reply[64];
    size_t used = 0;
    ssize_t got = 0;
    int fd;
    hints.ai_socktype = SOCK_STREAM;
    if (argc != 2 || getaddrinfo(argv[1], "13", &hints, &address) != 0)
        return 2;
    fd = socket(address->ai_family, address->ai_socktype, 0);
    if (fd < 0 || connect(fd, address->ai_addr, address->ai_addrlen) != 0)
        return 1;
    while (used < 24 && (got = read(fd, reply + used, sizeof reply - used)) > 0)
        used += (size_t)got;
    close(fd);
    freeaddrinfo(address);
    if (used < 24)
        return 1;
    fprintf(stderr, "%.8s\n", reply + 16);
    return 0;
}
