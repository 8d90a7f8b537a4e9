// Runs the Khronos glTF validator over .glb files: node validate.js FILE...
// Prints one "[validator]" line per file (and one per error) and exits with 1 when any file has an
// error or cannot be read.
'use strict';
const fs = require('fs');
const path = require('path');
const validator = require('gltf-validator');

async function validate(file) {
    let bytes;
    try {
        bytes = new Uint8Array(fs.readFileSync(file));
    } catch (error) {
        console.log(`[validator] ${file}: cannot read (${error.message})`);
        return false;
    }
    const report = await validator.validateBytes(bytes, {
        uri: path.basename(file),
        maxIssues: 50,
        externalResourceFunction: (uri) =>
            new Promise((resolve, reject) => {
                fs.readFile(path.join(path.dirname(file), decodeURIComponent(uri)), (error, data) =>
                    error ? reject(error.toString()) : resolve(new Uint8Array(data)));
            }),
    });
    const issues = report.issues;
    console.log(`[validator] ${file}: ${issues.numErrors} errors, ${issues.numWarnings} warnings`);
    for (const message of issues.messages) {
        if (message.severity === 0) console.log(`[validator]   ${message.code} at ${message.pointer}: ${message.message}`);
    }
    return issues.numErrors === 0;
}

(async () => {
    const files = process.argv.slice(2);
    if (files.length === 0) {
        console.log('[validator] usage: node validate.js FILE...');
        process.exit(2);
    }
    let clean = true;
    for (const file of files) clean = (await validate(file)) && clean;
    process.exit(clean ? 0 : 1);
})();
