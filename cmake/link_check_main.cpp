// Linked with every object of one layer and only the layers below it: the
// program exists to fail the build when the layer calls upwards.
int main() { return 0; }
