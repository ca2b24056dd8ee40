/* A caller of the adapter library written in C, as the utility is: it cannot catch a C++
   exception, so one that left the library would end it. It starts the library on the machine
   RADIODESK_MACHINE names, without opening the machine first, and prints the adapter index. */
#include <stdio.h>

#include "vtrlib.h"

int main(void) {
  const int32_t index = VTR_Initialize(0);
  printf("%d\n", (int)index);
  VTR_UnInitialize();
  return 0;
}
