// Validates glTF files with the Khronos glTF Validator: node validate.mjs VALIDATOR_DIR FILE...
// Prints every error and exits 1 when any file has one, 2 when a file cannot be read.
import { readFile } from 'node:fs/promises';
import { createRequire } from 'node:module';
import path from 'node:path';

const [validatorDir, ...files] = process.argv.slice(2);
if (!validatorDir || files.length === 0) {
    console.error('usage: node validate.mjs VALIDATOR_DIR FILE...');
    process.exit(2);
}
const require = createRequire(path.resolve(validatorDir, 'node_modules') + path.sep);
const validator = require('gltf-validator');

let failed = false;
for (const file of files) {
    let bytes;
    try {
        bytes = new Uint8Array(await readFile(file));
    } catch (e) {
        console.error(`${file}: ${e.message}`);
        process.exit(2);
    }
    // Our files embed everything: any external reference is an error of its own.
    const report = await validator.validateBytes(bytes, {
        uri: path.basename(file),
        maxIssues: 0,
        externalResourceFunction: (uri) => Promise.reject(new Error(`external resource ${uri}`)),
    });
    const issues = report.issues;
    for (const m of issues.messages.filter((m) => m.severity === 0)) {
        console.error(`${file}: ${m.code} at ${m.pointer ?? '-'}: ${m.message}`);
    }
    console.log(`${file}: ${issues.numErrors} errors, ${issues.numWarnings} warnings, ` +
                `${issues.numInfos} infos`);
    failed ||= issues.numErrors > 0;
}
process.exit(failed ? 1 : 0);
