// Runs the Khronos glTF validator on each file named on the command line: one line per file with
// its counts, then every error and warning. Exit code 1 when a file has an error.
const fs = require('fs');
const path = require('path');
const validator = require('gltf-validator');

const severities = ['error', 'warning', 'info', 'hint'];

async function validate(file) {
  const folder = path.dirname(file);
  const report = await validator.validateBytes(new Uint8Array(fs.readFileSync(file)), {
    uri: path.basename(file),
    maxIssues: 50,
    externalResourceFunction: (uri) =>
      fs.promises.readFile(path.resolve(folder, decodeURIComponent(uri))).then((data) => new Uint8Array(data)),
  });
  const issues = report.issues;
  console.log(`${file}: ${issues.numErrors} errors, ${issues.numWarnings} warnings, ${issues.numInfos} infos`);
  for (const m of issues.messages)
    if (m.severity <= 1) console.log(`  ${severities[m.severity]} ${m.code} ${m.pointer || ''}: ${m.message}`);
  return issues.numErrors;
}

(async () => {
  let errors = 0;
  for (const file of process.argv.slice(2)) errors += await validate(file);
  process.exit(errors ? 1 : 0);
})().catch((e) => {
  console.error(e);
  process.exit(2);
});
