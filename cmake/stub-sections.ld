/* Added to the toolchain's own linker script for the installer stub.
   The unwind tables that the runtime's 64-bit division helpers bring along
   go, since nothing in the installer unwinds (no exceptions, and without the
   runtime's start-up files nobody registers them): one section, and its file
   alignment, less. */
SECTIONS
{
  /DISCARD/ : { *(.eh_frame*) }
}
INSERT BEFORE .text;

/* The resources come last, behind the relocations, in memory and in the
   file: the packer then writes the package into the stub by keeping every
   byte ahead of the package slot and growing only this section (the
   toolchain's script would put the relocations behind it). */
SECTIONS
{
  .rsrc BLOCK(__section_alignment__) : SUBALIGN(4)
  {
    KEEP (*(.rsrc))
    KEEP (*(.rsrc$*))
  }
}
INSERT AFTER .reloc;
