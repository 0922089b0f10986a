/* Checks that a library built against a glibc before 2.34 with the C++
 * runtime linked in brings libpthread into a process that lacks it.
 *
 *     library_needs_libpthread LIBRARY...
 *
 * That runtime's std::mutex locks only when __pthread_key_create can be
 * found (__gthread_active_p); before glibc 2.34 only libpthread has it, and
 * the runtime refers to it weakly, so a library that does not need
 * libpthread itself gets a mutex that does nothing in a process without it.
 * Built without -pthread, this program lacks it, which it checks first;
 * then each library is loaded on its own (RTLD_LOCAL), and the symbol must be
 * found through the library and what it needs.
 * Exit status: 0 all do, 1 a library does not, 2 the check cannot be made
 * here (a glibc with the threads functions in libc, or a library that does
 * not load). */
#define _GNU_SOURCE /* RTLD_DEFAULT */
#include <dlfcn.h>
#include <stdio.h>

int main(int argc, char **argv) {
  if (argc < 2) {
    fprintf(stderr, "usage: %s LIBRARY...\n", argv[0]);
    return 2;
  }
  if (dlsym(RTLD_DEFAULT, "__pthread_key_create") != NULL) {
    fprintf(stderr, "this process has __pthread_key_create before loading any library: glibc 2.34 or later, "
                    "or a program linked with libpthread; nothing to check\n");
    return 2;
  }
  int failures = 0;
  for (int i = 1; i < argc; ++i) {
    void *library = dlopen(argv[i], RTLD_NOW | RTLD_LOCAL);
    if (library == NULL) {
      fprintf(stderr, "%s\n", dlerror());
      return 2;
    }
    if (dlsym(library, "__pthread_key_create") == NULL) {
      printf("FAIL: %s does not bring libpthread: its std::mutex does not lock here\n", argv[i]);
      ++failures;
    } else {
      printf("%s brings libpthread: its std::mutex locks\n", argv[i]);
    }
  }
  return failures ? 1 : 0;
}
