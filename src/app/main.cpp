// Placeholder entry while the shell is being built.
int main() { return 0; }
