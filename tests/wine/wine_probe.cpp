// The probe of 32-bit support: a tiny 32-bit Windows program that tells the
// Wine runner it really ran as a 32-bit process (exit code 0).
int main()
{
    return sizeof(void*) == 4 ? 0 : 1;
}
