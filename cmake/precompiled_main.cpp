// Compiled only to make the precompiled header of its target; an executable
// needs its main.
int main()
{
    return 0;
}
