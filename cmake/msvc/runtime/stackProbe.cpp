// Stack probes. The compiler calls __chkstk before it allocates a frame
// larger than a page: Windows commits a thread's stack one guard page at a
// time, and a frame that skipped over the guard page would land on
// uncommitted memory. The probe touches each page of the new frame in order,
// from the top. Neither msvcrt.dll nor kernel32.dll exports it.
//
// In: EAX/RAX = frame size. The 32-bit probe also moves ESP down by that
// much; the 64-bit one leaves RSP to the caller. Both preserve every register
// the caller may still use (all but ESP on i686; all but R10 and R11 on
// x86-64).
#if defined(_M_IX86)
__asm__(
    "  .text\n"
    "  .globl __chkstk\n"
    "__chkstk:\n"
    "  pushl %ecx\n"
    "  pushl %eax\n"
    "  leal 12(%esp), %ecx\n"  // the caller's ESP before the call
    "  cmpl $0x1000, %eax\n"
    "  jb 2f\n"
    "1:\n"
    "  subl $0x1000, %ecx\n"
    "  testl %ecx, (%ecx)\n"
    "  subl $0x1000, %eax\n"
    "  cmpl $0x1000, %eax\n"
    "  jae 1b\n"
    "2:\n"
    "  subl %eax, %ecx\n"
    "  testl %ecx, (%ecx)\n"
    "  movl %esp, %eax\n"  // the saved EAX, ECX and return address
    "  movl %ecx, %esp\n"
    "  movl 4(%eax), %ecx\n"
    "  pushl 8(%eax)\n"
    "  movl (%eax), %eax\n"
    "  ret\n");
#elif defined(_M_X64)
__asm__(
    "  .text\n"
    "  .globl __chkstk\n"
    "__chkstk:\n"
    "  leaq 8(%rsp), %r10\n"  // the caller's RSP before the call
    "  movq %rax, %r11\n"
    "  cmpq $0x1000, %r11\n"
    "  jb 2f\n"
    "1:\n"
    "  subq $0x1000, %r10\n"
    "  testq %r10, (%r10)\n"
    "  subq $0x1000, %r11\n"
    "  cmpq $0x1000, %r11\n"
    "  jae 1b\n"
    "2:\n"
    "  subq %r11, %r10\n"
    "  testq %r10, (%r10)\n"
    "  ret\n");
#endif
