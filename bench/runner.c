/* Runs CGI processes many times, interleaved, and reports per case the
 * median and spread of wall time (fork to reaped) and the median peak RSS
 * (from wait4).
 *
 *   runner ROUNDS CASEFILE...
 *
 * A case file holds: line 1 the case name, line 2 the executable, line 3
 * the file given as standard input, then one NAME=VALUE per line: the whole
 * environment. Standard output goes to /dev/null. Each round runs every
 * case once, starting one case further on each round, so no case always
 * follows the same neighbour. Output, one line per case:
 *   name median_ms p10_ms p90_ms min_ms max_ms rss_median_kb failures */
#include <fcntl.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

typedef struct {
  char vName[256], vExe[4096], vInput[4096];
  char* vEnv[128];
  double* vMs;
  long* vRss;
  int vFailures;
} TCase;

static void PLoad(TCase* c, const char* pPath, int pRounds) {
  FILE* f = fopen(pPath, "r");
  if (!f) { perror(pPath); exit(2); }
  char vLine[4000];
  int n = 0, e = 0;
  while (fgets(vLine, sizeof vLine, f)) {
    vLine[strcspn(vLine, "\n")] = 0;
    if (n == 0) snprintf(c->vName, sizeof c->vName, "%.*s", (int)sizeof c->vName - 1, vLine);
    else if (n == 1) snprintf(c->vExe, sizeof c->vExe, "%s", vLine);
    else if (n == 2) snprintf(c->vInput, sizeof c->vInput, "%s", vLine);
    else if (vLine[0] && e < 127) c->vEnv[e++] = strdup(vLine);
    ++n;
  }
  c->vEnv[e] = NULL;
  fclose(f);
  c->vMs = calloc((size_t)pRounds, sizeof(double));
  c->vRss = calloc((size_t)pRounds, sizeof(long));
}

static int FCompareDouble(const void* a, const void* b) {
  const double x = *(const double*)a, y = *(const double*)b;
  return x < y ? -1 : x > y;
}
static int FCompareLong(const void* a, const void* b) {
  const long x = *(const long*)a, y = *(const long*)b;
  return x < y ? -1 : x > y;
}

static void PRun(TCase* c, int pRound) {
  struct timespec t0, t1;
  clock_gettime(CLOCK_MONOTONIC, &t0);
  const pid_t vPid = fork();
  if (vPid == 0) {
    const int vIn = open(c->vInput, O_RDONLY);
    const int vOut = open("/dev/null", O_WRONLY);
    if (vIn < 0 || vOut < 0) _exit(127);
    dup2(vIn, 0);
    dup2(vOut, 1);
    dup2(vOut, 2);
    char* vArgv[] = {c->vExe, NULL};
    execve(c->vExe, vArgv, c->vEnv);
    _exit(127);
  }
  int vStatus = 0;
  struct rusage vUsage;
  wait4(vPid, &vStatus, 0, &vUsage);
  clock_gettime(CLOCK_MONOTONIC, &t1);
  c->vMs[pRound] = (double)(t1.tv_sec - t0.tv_sec) * 1e3 + (double)(t1.tv_nsec - t0.tv_nsec) / 1e6;
  c->vRss[pRound] = vUsage.ru_maxrss;
  if (!WIFEXITED(vStatus) || WEXITSTATUS(vStatus) != 0) ++c->vFailures;
}

int main(int argc, char** argv) {
  if (argc < 3) { fprintf(stderr, "usage: runner ROUNDS CASEFILE...\n"); return 2; }
  const int vRounds = atoi(argv[1]);
  const int vCount = argc - 2;
  TCase* vCases = calloc((size_t)vCount, sizeof(TCase));
  for (int i = 0; i < vCount; ++i) PLoad(&vCases[i], argv[i + 2], vRounds);
  for (int r = 0; r < vRounds; ++r)
    for (int k = 0; k < vCount; ++k) PRun(&vCases[(k + r) % vCount], r);
  for (int i = 0; i < vCount; ++i) {
    TCase* c = &vCases[i];
    qsort(c->vMs, (size_t)vRounds, sizeof(double), FCompareDouble);
    qsort(c->vRss, (size_t)vRounds, sizeof(long), FCompareLong);
    printf("%s %.2f %.2f %.2f %.2f %.2f %ld %d\n", c->vName, c->vMs[vRounds / 2], c->vMs[vRounds / 10],
           c->vMs[vRounds - 1 - vRounds / 10], c->vMs[0], c->vMs[vRounds - 1], c->vRss[vRounds / 2], c->vFailures);
  }
  return 0;
}
