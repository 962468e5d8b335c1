// Loads fine, but has neither HideIcon nor UnHideIcon.
extern "C" int NestoraSomethingElse() { return 1; }
