/* Preloaded by tools/run-sanitized: dlclose does nothing, so the GL and audio drivers that
 * SDL loads stay mapped until the process ends. LeakSanitizer runs at exit; a driver that was
 * unloaded before it leaves its allocations with no module to name (and its globals no longer
 * hold them), so its own leaks could not be told from ours. */
int dlclose(void* handle) {
    (void)handle;
    return 0;
}
