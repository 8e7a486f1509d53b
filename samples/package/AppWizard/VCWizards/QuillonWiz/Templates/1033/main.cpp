#include <quillon/quillon.h>
int main() { return 0; }
