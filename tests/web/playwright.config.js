// The page's tests: the built page (tools/build-web.sh) in Debian's Chromium.
const { defineConfig } = require('@playwright/test');

module.exports = defineConfig({
  testDir: '.',
  testMatch: '*.test.js',
  timeout: 60000,
  workers: 1,
  reporter: [['list']],
  use: {
    headless: true,
    viewport: { width: 800, height: 600 },
    acceptDownloads: true,
    launchOptions: {
      executablePath: process.env.PLORIMET_CHROMIUM || '/usr/bin/chromium',
      // Chromium's sandbox cannot start as root (CI containers).
      args: process.getuid && process.getuid() === 0 ? ['--no-sandbox'] : [],
    },
  },
});
