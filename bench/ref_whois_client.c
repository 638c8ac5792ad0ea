/* A reference whois client for the benchmarks: the names of a file (one a line), each asked on a
 * connection of its own to one server, N connections at once, with epoll; the reply is read to
 * the server's close and dropped. It prints the names asked and the seconds taken.
 *
 *   cc -O2 -o ref_whois_client bench/ref_whois_client.c
 *   ./ref_whois_client 127.0.0.1 4343 names.txt 25
 */
#include <arpa/inet.h>
#include <errno.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/epoll.h>
#include <sys/socket.h>
#include <time.h>
#include <unistd.h>

struct slot {
    int fd;
    int connected;
    char query[300];
    size_t length;
};

static char **names;
static size_t count, next;
static struct sockaddr_in server;
static int epoll_fd;

static int start(struct slot *slot)
{
    if (next >= count)
        return 0;
    slot->length = (size_t)snprintf(slot->query, sizeof slot->query, "%s\r\n", names[next++]);
    slot->fd = socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK, 0);
    slot->connected = 0;
    if (connect(slot->fd, (struct sockaddr *)&server, sizeof server) < 0 && errno != EINPROGRESS) {
        perror("connect");
        exit(1);
    }
    struct epoll_event event = {.events = EPOLLOUT | EPOLLIN, .data.ptr = slot};
    epoll_ctl(epoll_fd, EPOLL_CTL_ADD, slot->fd, &event);
    return 1;
}

int main(int argc, char **argv)
{
    if (argc != 5) {
        fprintf(stderr, "usage: %s address port names-file connections\n", argv[0]);
        return 2;
    }
    FILE *file = fopen(argv[3], "r");
    if (!file)
        return 2;
    char line[300];
    size_t capacity = 1024;
    names = malloc(capacity * sizeof *names);
    while (fgets(line, sizeof line, file)) {
        line[strcspn(line, "\r\n")] = 0;
        if (!*line)
            continue;
        if (count == capacity)
            names = realloc(names, (capacity *= 2) * sizeof *names);
        names[count++] = strdup(line);
    }
    fclose(file);
    server.sin_family = AF_INET;
    server.sin_port = htons((unsigned short)atoi(argv[2]));
    inet_pton(AF_INET, argv[1], &server.sin_addr);
    int width = atoi(argv[4]);
    struct slot *slots = calloc((size_t)width, sizeof *slots);
    struct timespec t0, t1;
    clock_gettime(CLOCK_MONOTONIC, &t0);
    epoll_fd = epoll_create1(0);
    int open = 0;
    for (int i = 0; i < width; ++i)
        open += start(&slots[i]);
    struct epoll_event events[64];
    char buffer[65536];
    while (open > 0) {
        int ready = epoll_wait(epoll_fd, events, 64, -1);
        for (int i = 0; i < ready; ++i) {
            struct slot *slot = events[i].data.ptr;
            if (!slot->connected && (events[i].events & EPOLLOUT)) {
                slot->connected = 1;
                if (send(slot->fd, slot->query, slot->length, MSG_NOSIGNAL) < 0) {
                    perror("send");
                    exit(1);
                }
                struct epoll_event event = {.events = EPOLLIN, .data.ptr = slot};
                epoll_ctl(epoll_fd, EPOLL_CTL_MOD, slot->fd, &event);
                continue;
            }
            ssize_t got = recv(slot->fd, buffer, sizeof buffer, 0);
            if (got > 0 || (got < 0 && errno == EAGAIN))
                continue;
            epoll_ctl(epoll_fd, EPOLL_CTL_DEL, slot->fd, NULL);
            close(slot->fd);
            --open;
            open += start(slot);
        }
    }
    clock_gettime(CLOCK_MONOTONIC, &t1);
    printf("%zu names in %.3f s\n", count, (double)(t1.tv_sec - t0.tv_sec) + (double)(t1.tv_nsec - t0.tv_nsec) / 1e9);
    return 0;
}
