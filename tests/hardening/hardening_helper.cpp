// Child process of the hardening tests (placeholder until the save and store modes exist).
int main() {
    return 0;
}
