// Runs the Khronos glTF-Validator on each file named: prints its counts and every error and
// warning, and exits 1 when any file has an error.
//   NODE_PATH=FOLDER/node_modules node gltf-validate.js FILE.glb FILE.gltf ...
'use strict';
const validator = require('gltf-validator');
const fs = require('fs');
const path = require('path');

(async () => {
  let failed = false;
  for (const file of process.argv.slice(2)) {
    const readBeside = (uri) => new Promise((resolve, reject) => {
      try {
        resolve(new Uint8Array(fs.readFileSync(path.join(path.dirname(file), decodeURIComponent(uri)))));
      } catch (error) {
        reject(error.toString());
      }
    });
    const report = await validator.validateBytes(new Uint8Array(fs.readFileSync(file)),
                                                 {uri: file, externalResourceFunction: readBeside});
    const issues = report.issues;
    console.log(`${file}: ${issues.numErrors} errors, ${issues.numWarnings} warnings`);
    for (const message of issues.messages) {
      if (message.severity <= 1) {
        console.log(`  ${message.severity === 0 ? 'error' : 'warning'} ${message.code} ` +
                    `${message.pointer || ''} ${message.message}`);
      }
    }
    if (issues.numErrors > 0) failed = true;
  }
  process.exit(failed ? 1 : 0);
})().catch((error) => {
  console.log(String(error));
  process.exit(1);
});
