/* Added to the toolchain's own linker script for the installer: the unwind
   tables that the runtime's 64-bit division helpers bring along go, since
   nothing in the installer unwinds (no exceptions, and without the runtime's
   start-up files nobody registers them). One section, and its file
   alignment, less. */
SECTIONS
{
  /DISCARD/ : { *(.eh_frame*) }
}
INSERT BEFORE .text;
