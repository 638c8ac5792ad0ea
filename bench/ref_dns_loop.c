/* A plain c-ares loop, the reference for the DNS pre-check's own cost: NS questions for the
 * names of a list (one a line), up to 100 at once, against one resolver, until every one is
 * answered. Prints the names and the answers that held records.
 *
 *   cc -O2 -o ref_dns_loop bench/ref_dns_loop.c -lcares
 *   ref_dns_loop 127.0.0.1:PORT list.txt
 */
#include <ares.h>
#include <arpa/nameser.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/select.h>

enum { kInFlight = 100 };

static int inFlight;
static long answered, withRecords;

static void Answered(void *arg, int status, int timeouts, unsigned char *answer, int length)
{
    (void)arg;
    (void)timeouts;
    (void)answer;
    --inFlight;
    ++answered;
    if (status == ARES_SUCCESS && length > 12)
        ++withRecords;
}

int main(int argc, char **argv)
{
    if (argc != 3) {
        fprintf(stderr, "usage: ref_dns_loop HOST:PORT list\n");
        return 2;
    }
    FILE *list = fopen(argv[2], "r");
    if (!list) {
        perror(argv[2]);
        return 1;
    }
    ares_library_init(ARES_LIB_INIT_ALL);
    ares_channel channel;
    struct ares_options options = {.timeout = 2000, .tries = 2};
    if (ares_init_options(&channel, &options, ARES_OPT_TIMEOUTMS | ARES_OPT_TRIES) != ARES_SUCCESS ||
        ares_set_servers_ports_csv(channel, argv[1]) != ARES_SUCCESS) {
        fprintf(stderr, "cannot set up c-ares\n");
        return 1;
    }
    char line[512];
    long asked = 0;
    int more = 1;
    for (;;) {
        while (more && inFlight < kInFlight) {
            if (!fgets(line, sizeof line, list)) {
                more = 0;
                break;
            }
            line[strcspn(line, "\r\n")] = 0;
            if (!*line)
                continue;
            ++inFlight;
            ++asked;
            ares_query(channel, line, ns_c_in, ns_t_ns, Answered, NULL);
        }
        if (!more && inFlight == 0)
            break;
        fd_set reads, writes;
        FD_ZERO(&reads);
        FD_ZERO(&writes);
        const int fds = ares_fds(channel, &reads, &writes);
        struct timeval wait, *timeout = ares_timeout(channel, NULL, &wait);
        select(fds, &reads, &writes, NULL, timeout);
        ares_process(channel, &reads, &writes);
    }
    printf("%ld asked, %ld answered, %ld with records\n", asked, answered, withRecords);
    ares_destroy(channel);
    ares_library_cleanup();
    return 0;
}
